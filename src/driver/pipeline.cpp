#include "driver/pipeline.h"

namespace bexora {

int runProgram(int, char**) { return 0; }

}  // namespace bexora
