#include "output/consensus.h"

#include <cstring>
#include <map>
#include <nlohmann/json.hpp>
#include <tuple>

#include "output/arc_diagram.h"
#include "output/evidence.h"
#include "output/secondary_structure.h"

namespace bexora {

namespace {

// Ends of a residue pair in identity order (as compBasePairId sorts).
using RowKey = std::tuple<std::string, std::string, int32_t, unsigned char, int32_t, unsigned char>;

bool endsReversed(const BPInfo& pair) {
  if (int d = std::strcmp(pair.chainId[0], pair.chainId[1])) return d > 0;
  return compareResidues(pair.resSeqNo[0], pair.iCode[0], pair.resSeqNo[1], pair.iCode[1]) > 0;
}

BPInfo inResidueOrder(const BPInfo& pair) {
  if (!endsReversed(pair)) return pair;
  BPInfo turned = pair;
  for (int end = 0; end < 2; ++end) {
    setField(turned.chainId[end], pair.chainId[1 - end]);
    turned.resSeqNo[end] = pair.resSeqNo[1 - end];
    turned.iCode[end] = pair.iCode[1 - end];
    turned.nucleotide[end] = pair.nucleotide[1 - end];
    for (int e = 0; e < kMaxEdges; ++e) setField(turned.edge[e][end], pair.edge[e][1 - end]);
  }
  return turned;
}

RowKey keyOf(const BPInfo& ordered) {
  return {ordered.chainId[0], ordered.chainId[1], ordered.resSeqNo[0], static_cast<unsigned char>(ordered.iCode[0]),
          ordered.resSeqNo[1], static_cast<unsigned char>(ordered.iCode[1])};
}

ToolCell heldCell(int method, const BPInfo& ordered) {
  ToolCell cell;
  cell.source = ordered.source == kSourceBexora ? ToolSource::kCarried : ToolSource::kOwn;
  cell.family = lwFamily(method, ordered);
  cell.canonical = cell.family && cell.family->notation() == "cWW" && isCanonicalBP(ordered);
  return cell;
}

// A tool's own pair outranks a carried one on the same residues.
void hold(std::map<RowKey, ConsensusRow>& rows, std::size_t toolCount, std::size_t tool, int method,
          const BPInfo& pair) {
  const BPInfo ordered = inResidueOrder(pair);
  auto [at, isNew] = rows.try_emplace(keyOf(ordered));
  if (isNew) {
    at->second.residues = ordered;
    at->second.tools.resize(toolCount);
  }
  ToolCell& cell = at->second.tools[tool];
  if (cell.source == ToolSource::kNone || (cell.source == ToolSource::kCarried && ordered.source != kSourceBexora))
    cell = heldCell(method, ordered);
}

void markRefused(std::map<RowKey, ConsensusRow>& rows, std::size_t tool, const PairEvidence& refused) {
  auto at = rows.find(keyOf(inResidueOrder(refused.targetPair)));
  if (at == rows.end() || at->second.tools[tool].source != ToolSource::kNone) return;
  at->second.tools[tool].source = ToolSource::kRefused;
  at->second.tools[tool].reason = refused.reason;
}

void summarise(ConsensusRow& row) {
  const LwFamily* first = nullptr;
  for (const ToolCell& cell : row.tools) {
    row.native += cell.source == ToolSource::kOwn;
    row.carried += cell.source == ToolSource::kCarried;
    if (!cell.family) continue;
    if (first && !(*first == *cell.family)) row.familiesAgree = false;
    if (!first) first = &*cell.family;
  }
  const std::size_t held = static_cast<std::size_t>(row.native + row.carried);
  if (row.native == 0)
    row.rowClass = kClassCarriedOnly;
  else if (held == row.tools.size())
    row.rowClass = kClassAll;
  else
    row.rowClass = held == 1 ? kClassSingle : kClassMajority;
}

std::string sourceText(const ToolCell& cell) {
  switch (cell.source) {
    case ToolSource::kOwn: return "own";
    case ToolSource::kCarried: return "carried";
    case ToolSource::kRefused: return std::string("refused:") + reasonName(cell.reason);
    default: return "-";
  }
}

std::string familyText(const ToolCell& cell) { return cell.family ? cell.family->notation() : "-"; }
std::string codeText(char iCode) { return iCode == ' ' || iCode == '\0' ? "" : std::string(1, iCode); }
std::string orDash(const std::string& text) { return text.empty() ? "-" : text; }

nlohmann::ordered_json residueJson(const BPInfo& residues, int end) {
  return {{"chain", residues.chainId[end]},
          {"number", residues.resSeqNo[end]},
          {"insertion_code", codeText(residues.iCode[end])},
          {"base", std::string(1, residues.nucleotide[end])}};
}

nlohmann::ordered_json rowJson(const ConsensusRow& row, const std::vector<ToolResult>& tools) {
  nlohmann::ordered_json byTool = nlohmann::ordered_json::object();
  for (std::size_t t = 0; t < tools.size(); ++t)
    byTool[methodToken(tools[t].method)] = {{"family", familyText(row.tools[t])}, {"source", sourceText(row.tools[t])}};
  return {{"residues", {residueJson(row.residues, 0), residueJson(row.residues, 1)}},
          {"tools", byTool},
          {"native", row.native},
          {"carried", row.carried},
          {"families_agree", row.familiesAgree ? "yes" : "no"},
          {"class", className(row.rowClass)}};
}

nlohmann::ordered_json structureJson(const ConsensusRun& run, int side) {
  return {{"id", run.ids[side]},
          {"chain", run.chains[side]},
          {"dpi", run.dpi[side]},
          {"dpi_source", run.dpiSources[side]}};
}

nlohmann::ordered_json runJson(const ConsensusRun& run, const std::vector<ToolResult>& tools) {
  nlohmann::ordered_json toolList = nlohmann::ordered_json::array();
  for (const ToolResult& tool : tools)
    toolList.push_back({{"token", methodToken(tool.method)},
                        {"name", methodName(tool.method)},
                        {"target_file", tool.targetFile},
                        {"reference_file", tool.referenceFile}});
  const double identity = run.alignedResidues ? static_cast<double>(run.identicalResidues) / run.alignedResidues : 0;
  return {{"program", {{"name", "bexora"}, {"version", run.version}}},
          {"reference", structureJson(run, kReference)},
          {"target", structureJson(run, kTarget)},
          {"tolerance", run.tolerance},
          {"alignment",
           {{"source", run.alignmentSource},
            {"aligned_residues", run.alignedResidues},
            {"identical_residues", run.identicalResidues},
            {"identity", identity}}},
          {"tools", toolList}};
}

std::string toolNames(const std::vector<ToolResult>& tools) {
  std::string names;
  for (const ToolResult& tool : tools) names += std::string(names.empty() ? "" : ", ") + methodName(tool.method);
  return names;
}

const std::vector<ArcKey>& classKeys() {
  static const std::vector<ArcKey> keys = {{kClassAll, "#0072B2", "All tools"},
                                           {kClassMajority, "#009E73", "Majority"},
                                           {kClassSingle, "#E69F00", "Single tool"},
                                           {kClassCarriedOnly, "#D55E00", "Carried over only"}};
  return keys;
}

std::vector<FileText> secondaryStructureTexts(const std::string& stem, const std::vector<ConsensusRow>& rows,
                                              const std::vector<ToolResult>& tools, const ConsensusRun& run,
                                              const std::vector<ResidueMapEntry>& observed, const Reporter& reporter) {
  const std::string title = run.ids[kTarget] + "_" + run.chains[kTarget] + ", consensus of " + toolNames(tools) +
                            " enhanced from " + run.ids[kReference] + "_" + run.chains[kReference];
  SecondaryStructure structure =
      buildSecondaryStructure(observed, run.chains[kTarget], consensusCanonicalPairs(rows, tools.size()));
  const std::string dotBracket = stem + ".consensus.dbn";
  if (structure.orderLimitReached) reporter.limitReached("Bracket order", kBracketOrders, dotBracket);
  return {{dotBracket, formatDotBracket(structure, title)},
          {stem + ".consensus.svg", drawArcDiagram(structure, title, classKeys())}};
}

}  // namespace

const char* className(ConsensusClass c) {
  static const char* const kNames[kConsensusClasses] = {"all", "majority", "single", "carried-only"};
  return kNames[c];
}

std::vector<ConsensusRow> buildConsensus(const std::vector<ToolResult>& tools) {
  std::map<RowKey, ConsensusRow> byResidues;
  for (std::size_t t = 0; t < tools.size(); ++t)
    for (const BPInfo& pair : tools[t].written) hold(byResidues, tools.size(), t, tools[t].method, pair);
  for (std::size_t t = 0; t < tools.size(); ++t)
    for (const PairEvidence& refused : tools[t].refused) markRefused(byResidues, t, refused);
  std::vector<ConsensusRow> rows;
  rows.reserve(byResidues.size());
  for (auto& [key, row] : byResidues) {
    summarise(row);
    rows.push_back(std::move(row));
  }
  return rows;
}

ClassTally countClasses(const std::vector<ConsensusRow>& rows) {
  ClassTally tally{};
  for (const ConsensusRow& row : rows) ++tally[row.rowClass];
  return tally;
}

std::string consensusTsv(const std::vector<ConsensusRow>& rows, const std::vector<ToolResult>& tools) {
  std::string text = "chain1\tnumber1\ticode1\tbase1\tchain2\tnumber2\ticode2\tbase2";
  for (const ToolResult& tool : tools)
    text += std::string("\t") + methodToken(tool.method) + "_family\t" + methodToken(tool.method) + "_source";
  text += "\tnative\tcarried\tfamilies_agree\tclass\n";
  for (const ConsensusRow& row : rows) {
    for (int end = 0; end < 2; ++end)
      text += std::string(end ? "\t" : "") + row.residues.chainId[end] + "\t" +
              std::to_string(row.residues.resSeqNo[end]) + "\t" + orDash(codeText(row.residues.iCode[end])) + "\t" +
              row.residues.nucleotide[end];
    for (const ToolCell& cell : row.tools) text += "\t" + familyText(cell) + "\t" + sourceText(cell);
    text += "\t" + std::to_string(row.native) + "\t" + std::to_string(row.carried) + "\t" +
            (row.familiesAgree ? "yes" : "no") + "\t" + className(row.rowClass) + "\n";
  }
  return text;
}

std::string consensusJson(const std::vector<ConsensusRow>& rows, const std::vector<ToolResult>& tools,
                          const ConsensusRun& run) {
  nlohmann::ordered_json json = runJson(run, tools);
  const ClassTally tally = countClasses(rows);
  nlohmann::ordered_json classes = nlohmann::ordered_json::object();
  for (int c = 0; c < kConsensusClasses; ++c) classes[className(static_cast<ConsensusClass>(c))] = tally[c];
  json["classes"] = classes;
  json["rows"] = nlohmann::ordered_json::array();
  for (const ConsensusRow& row : rows) json["rows"].push_back(rowJson(row, tools));
  return json.dump(1) + "\n";
}

std::vector<BPInfo> consensusCanonicalPairs(const std::vector<ConsensusRow>& rows, std::size_t toolCount) {
  std::vector<BPInfo> pairs;
  for (const ConsensusRow& row : rows) {
    std::size_t holding = 0;
    for (const ToolCell& cell : row.tools) holding += cell.canonical;
    if (2 * holding < toolCount) continue;
    BPInfo pair = row.residues;  // the first tool's edges, which may name another family
    setField(pair.edge[0][0], "W");
    setField(pair.edge[0][1], "W");
    pair.edgeCount = 1;
    pair.orientation = 'c';
    pair.source = row.rowClass;
    pairs.push_back(pair);
  }
  return pairs;
}

bool writeConsensusFiles(const std::string& stem, const std::vector<ConsensusRow>& rows,
                         const std::vector<ToolResult>& tools, const ConsensusRun& run,
                         const std::vector<ResidueMapEntry>* observed, const Reporter& reporter, OutputGroup& group) {
  std::vector<FileText> files = {{stem + ".consensus.tsv", consensusTsv(rows, tools)},
                                 {stem + ".consensus.json", consensusJson(rows, tools, run)}};
  if (observed) {
    std::vector<FileText> drawn = secondaryStructureTexts(stem, rows, tools, run, *observed, reporter);
    files.insert(files.end(), drawn.begin(), drawn.end());
  }
  const std::string failed = writeFilesTogether(files, &group);
  if (failed.empty()) return true;
  reporter.say("%s file could not be created\n", failed.c_str());
  return false;
}

}  // namespace bexora
