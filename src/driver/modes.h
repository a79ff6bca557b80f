// The one place where the program chooses what to do: the command line is
// parsed, then its mode runs (a single run, a batch of pairs, the benchmark,
// or the ranking of candidate references).
#pragma once

namespace bexora {

// Runs the program on its command line and returns the exit status.
int runProgram(int argc, char** argv);

}  // namespace bexora
