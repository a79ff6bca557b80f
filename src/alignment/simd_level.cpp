#include "alignment/simd_level.h"

namespace bexora {

bool simdLevelSupported(SimdLevel level) {
  switch (level) {
    case SimdLevel::kPortable: return true;
#if BEXORA_X86
    case SimdLevel::kSse41: return __builtin_cpu_supports("sse4.1");
    case SimdLevel::kAvx2: return __builtin_cpu_supports("avx2");
    case SimdLevel::kAvx512: return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
#endif
    default: return false;
  }
}

SimdLevel widestSimdLevel() {
  if (simdLevelSupported(SimdLevel::kAvx512)) return SimdLevel::kAvx512;
  if (simdLevelSupported(SimdLevel::kAvx2)) return SimdLevel::kAvx2;
  if (simdLevelSupported(SimdLevel::kSse41)) return SimdLevel::kSse41;
  return SimdLevel::kPortable;
}

const char* simdLevelName(SimdLevel level) {
  switch (level) {
    case SimdLevel::kAvx512: return "avx512";
    case SimdLevel::kAvx2: return "avx2";
    case SimdLevel::kSse41: return "sse4.1";
    default: return "portable";
  }
}

}  // namespace bexora
