// The main pipeline: phases, methods and passes, and the stages of one pass.
#pragma once

namespace bexora {

// Runs the program on its command line and returns the exit status.
int runProgram(int argc, char** argv);

}  // namespace bexora
