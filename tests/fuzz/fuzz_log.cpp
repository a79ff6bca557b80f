// Built twice: FUZZ_LOG 1 reads log.txt, 2 reads log2.txt.
#include "fuzz_support.h"
#include "tables/result_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* name = FUZZ_LOG == 1 ? "log.txt" : "log2.txt";
  bexora::fuzz::writeInput(data, size, name);
  if (FUZZ_LOG == 1)
    bexora::readLogWriteTables(bexora::fuzz::scratchFolder(), name, bexora::Reporter());
  else
    bexora::processInferabilityLog(bexora::fuzz::scratchFolder(), name, bexora::Reporter());
  return 0;
}
