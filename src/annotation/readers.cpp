#include "annotation/readers.h"

#include "annotation/clarna.h"
#include "annotation/dssr.h"
#include "annotation/fr3d.h"
#include "annotation/mc_annotate.h"
#include "annotation/rnaview.h"

namespace bexora {

namespace {

using Reader = bool (*)(const std::string& path, const std::string& pdbId, const std::string& chain,
                        AnnotationOutput& out, const Reporter& reporter, const AnnotationReadOptions& options);

// In the order of kMethods. MC-Annotate and RNAView files name no PDB id.
constexpr Reader kReaders[kMethodCount] = {
    [](const std::string& path, const std::string&, const std::string& chain, AnnotationOutput& out,
       const Reporter& reporter, const AnnotationReadOptions& options) {
      return readMCAnnotateOutput(path, chain, out, reporter, options);
    },
    [](const std::string& path, const std::string&, const std::string& chain, AnnotationOutput& out,
       const Reporter& reporter, const AnnotationReadOptions& options) {
      return readRNAViewOutput(path, chain, out, reporter, options);
    },
    readFR3DOutput,
    readDSSROutput,
    readClaRNAOutput,
};

}  // namespace

bool readAnnotationFile(int method, const std::string& path, const std::string& pdbId, const std::string& chain,
                        AnnotationOutput& out, const Reporter& reporter, const AnnotationReadOptions& options) {
  const Reader reader = method >= 0 && method < kMethodCount ? kReaders[method] : kReaders[kRnaView];
  return reader(path, pdbId, chain, out, reporter, options);
}

}  // namespace bexora
