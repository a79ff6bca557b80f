#include "alignment/fasta.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string path = bexora::fuzz::writeInput(data, size, "seq.fa");
  bexora::ResidueMapPair maps;
  bexora::readFastaSequence(path, "1ABC", "A", "2XYZ", "B", maps, bexora::Reporter());
  std::vector<std::string> sequences;
  bexora::readFastaSeqList(path, {"1ABC", "2XYZ", "1ABC"}, {"A", "B", "A"}, sequences, bexora::Reporter());
  return 0;
}
