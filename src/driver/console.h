// The terminal side of a run: the Reporter through which the modules' messages
// reach standard output and the "-V" records standard error, and the method
// names of the closing message and of the benchmark log headers.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "util/reporter.h"
#include "util/tokenizer.h"

namespace bexora {

// A message as the user reads it: a warning marked "Warning!!! ", an error
// "Error!!! ", a note as given; empty for the channels that hold no message.
std::string messageText(Channel channel, const std::string& text);

// Messages go to standard output as messageText gives them. Records, when `verbose`, go to
// standard error as "bexora: RECORD" lines, after standard output is flushed
// so that a terminal shows both in the order they happened. A pause waits
// for one key only when standard input is a terminal, so scripts never block.
Reporter consoleReporter(bool verbose);


// " MC-Annotate, RNAView and FR3D ", for the closing message.
std::string methodListText(const std::vector<int>& methods);

}  // namespace bexora
