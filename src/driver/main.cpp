#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <new>

#include "driver/modes.h"
#include "util/staged_output.h"

namespace {

constexpr int kTerminatingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};
constexpr char kNoMemory[] = "Sufficient memory is not available to process the data\n";

// A terminating signal removes the files staged so far (no output is left
// half-written under a temporary name), then ends the process as the signal
// would have, so the parent sees the usual status.
void onTerminatingSignal(int signal) {
  bexora::removeStagedFiles();
  raise(signal);
}

// An allocation failure in any thread (the alignment kernel runs several)
// ends the run with the message and status 1; nothing staged is left.
void onAllocationFailure() {
  bexora::removeStagedFiles();
  std::fflush(stdout);
  ssize_t ignored = write(STDOUT_FILENO, kNoMemory, sizeof kNoMemory - 1);
  (void)ignored;
  _exit(1);
}

void installHandlers() {
  struct sigaction action {};
  action.sa_handler = onTerminatingSignal;
  action.sa_flags = static_cast<int>(SA_RESETHAND);
  // A second signal waits for the first handler, which ends the process:
  // run in the same thread, it would wait for that handler forever.
  sigemptyset(&action.sa_mask);
  for (int signal : kTerminatingSignals) sigaddset(&action.sa_mask, signal);
  for (int signal : kTerminatingSignals) sigaction(signal, &action, nullptr);
  // Past a file-size limit a write then fails like one on a full disk.
  ::signal(SIGXFSZ, SIG_IGN);
  std::set_new_handler(onAllocationFailure);
}

// A result lost on its way to standard output is a failed run.
int withOutputChecked(int status) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  std::fputs("bexora: standard output could not be written\n", stderr);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  installHandlers();
  try {
    return withOutputChecked(bexora::runProgram(argc, argv));
  } catch (const std::bad_alloc&) {
    std::fputs(kNoMemory, stdout);
    withOutputChecked(1);
    return 1;
  }
}
