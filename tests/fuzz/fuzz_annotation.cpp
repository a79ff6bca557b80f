// Built once per tool: FUZZ_METHOD selects the reader.
#include "annotation/clarna.h"
#include "annotation/dssr.h"
#include "annotation/fr3d.h"
#include "annotation/mc_annotate.h"
#include "annotation/rnaview.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = bexora::fuzz::writeInput(data, size, "FUZZ.out");
  bexora::AnnotationOutput out;
  const bexora::Reporter silent;
  const bexora::AnnotationReadOptions modified{true};
  switch (FUZZ_METHOD) {
    case bexora::kMcAnnotate: bexora::readMCAnnotateOutput(path, "A", out, silent); break;
    case bexora::kRnaView: bexora::readRNAViewOutput(path, "A", out, silent, modified); break;
    case bexora::kFr3d: bexora::readFR3DOutput(path, "FUZZ", "A", out, silent, modified); break;
    case bexora::kDssr: bexora::readDSSROutput(path, "FUZZ", "A", out, silent, modified); break;
    default: bexora::readClaRNAOutput(path, "FUZZ", "A", out, silent); break;
  }
  return 0;
}
