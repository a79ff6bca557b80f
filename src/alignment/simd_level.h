// The processor's SIMD levels that the aligners' kernels are written for,
// and which of them this processor runs.
#pragma once

// For the SIMD kernels: whether the x86 levels exist, and the inlining
// that keeps their vector helpers inside the function of one level.
#if defined(__x86_64__) || defined(__i386__)
#define BEXORA_X86 1
#else
#define BEXORA_X86 0
#endif
#define BEXORA_ALWAYS_INLINE __attribute__((always_inline)) inline

namespace bexora {

// AVX-512 (with its 16-bit operations) serves the pair passes; the
// candidates' kernel runs AVX2 there.
enum class SimdLevel { kPortable, kSse41, kAvx2, kAvx512 };
constexpr SimdLevel kSimdLevels[] = {SimdLevel::kPortable, SimdLevel::kSse41, SimdLevel::kAvx2, SimdLevel::kAvx512};

bool simdLevelSupported(SimdLevel level);
// The widest level this processor runs.
SimdLevel widestSimdLevel();
const char* simdLevelName(SimdLevel level);

}  // namespace bexora
