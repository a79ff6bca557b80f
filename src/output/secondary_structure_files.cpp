#include "output/secondary_structure_files.h"

#include "output/arc_diagram.h"
#include "output/secondary_structure.h"

namespace bexora {

bool writeSecondaryStructureFiles(const std::string& annotationPath, const std::string& title,
                                  const std::string& chainId, const std::vector<ResidueMapEntry>& observed,
                                  const std::vector<BPInfo>& written, int method, const Reporter& reporter,
                                  OutputGroup* group) {
  SecondaryStructure structure = buildSecondaryStructure(observed, chainId, written);
  std::string dotBracket = annotationPath + ".dbn";
  if (structure.orderLimitReached) reporter.limitReached("Bracket order", kBracketOrders, dotBracket);
  std::string failed = writeFilesTogether({{dotBracket, formatDotBracket(structure, title)},
                                           {annotationPath + ".bpseq", formatBpseq(structure)},
                                           {annotationPath + ".svg", drawArcDiagram(structure, title, method)}},
                                          group);
  if (failed.empty()) return true;
  reporter.say("%s file could not be created\n", failed.c_str());
  return false;
}

}  // namespace bexora
