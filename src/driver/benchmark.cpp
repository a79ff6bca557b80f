#include "driver/benchmark.h"

namespace bexora {

namespace {

struct SlotPair {
  const char* refId;
  const char* refChain;
  const char* targetId;
  const char* targetChain;
};

constexpr SlotPair kPhase0[kPassSlots] = {
    {"1PNY", "0", "2ZJR", "X"}, {"1PNY", "0", "2ZJR", "X"}, {"2B9N", "A", "3V2F", "A"}, {"2B9N", "A", "3V2F", "A"},
    {"2B9N", "A", "3V2F", "A"}, {"2B9N", "A", "3V2F", "A"}, {"1YL4", "A", "2VQE", "A"}, {"1YL4", "A", "2VQE", "A"},
    {"2B9M", "A", "2VQE", "A"}, {"2B9M", "A", "2VQE", "A"}, {"3JYX", "5", "3JYX", "5"}, {"3JYX", "5", "3JYX", "5"},
};

// Odd slots name the intermediate structure whose accepted pairs serve as
// the reference of that pass.
constexpr SlotPair kPhase1[kPassSlots] = {
    {"3V2F", "A", "1PNY", "0"}, {"1PNY", "0", "2ZJR", "X"}, {"3R8S", "A", "2B9N", "A"}, {"2B9N", "A", "3V2F", "A"},
    {"2ZJR", "X", "2B9N", "A"}, {"2B9N", "A", "3V2F", "A"}, {"4GD1", "A", "1YL4", "A"}, {"1YL4", "A", "2VQE", "A"},
    {"4GD1", "A", "2B9M", "A"}, {"2B9M", "A", "2VQE", "A"}, {"4GD1", "A", "3JYX", "5"}, {"3JYX", "5", "3JYX", "5"},
};

}  // namespace

PassPlan benchmarkPassPlan(int phase, RunSettings& settings) {
  settings.methodList = {kMcAnnotate, kRnaView, kFr3d, kDssr, kClaRna};
  const SlotPair* table = phase == 0 ? kPhase0 : kPhase1;
  for (int slot = 0; slot < kPassSlots; ++slot) {
    settings.pdbIds[kReference][slot] = table[slot].refId;
    settings.chainIds[kReference][slot] = table[slot].refChain;
    settings.pdbIds[kTarget][slot] = table[slot].targetId;
    settings.chainIds[kTarget][slot] = table[slot].targetChain;
  }
  PassPlan plan;
  plan.passStart = 2;
  plan.passEnd = 9;
  plan.passStep = phase == 0 ? 2 : 1;
  plan.compareEdgeSetting = phase == 0 ? 1 : 0;
  return plan;
}

}  // namespace bexora
