#include "driver/console.h"

#include <unistd.h>

#include <string>

#include "model/model.h"

namespace bexora {

namespace {

void pauseForKey() {
  std::fflush(stdout);
  if (isatty(STDIN_FILENO)) std::getchar();
}

void writeRecord(const std::string& record) {
  std::fflush(stdout);
  std::fputs("bexora: ", stderr);
  std::fwrite(record.data(), 1, record.size(), stderr);
  std::fputc('\n', stderr);
}

// A message may quote a broken input (a NUL, an escape sequence): it reaches
// the terminal escaped.
void show(Channel channel, const std::string& text) {
  switch (channel) {
    case Channel::kRecord: writeRecord(escapeControls(text)); break;
    case Channel::kPause: pauseForKey(); break;
    default: std::fputs(escapeControls(messageText(channel, text)).c_str(), stdout);
  }
}

}  // namespace

std::string messageText(Channel channel, const std::string& text) {
  switch (channel) {
    case Channel::kWarning: return "Warning!!! " + text;
    case Channel::kError: return "Error!!! " + text;
    case Channel::kNote: return text;
    default: return std::string();
  }
}

Reporter consoleReporter(bool verbose) { return Reporter(show, verbose); }

std::string methodListText(const std::vector<int>& methods) {
  std::string text;
  for (std::size_t i = 0; i < methods.size(); ++i) {
    if (i > 0) text += i + 1 == methods.size() ? " and" : ",";
    const char* name = methodName(methods[i]);
    text += std::string(" ") + (name ? name : "Undefined Method");
  }
  return text + " ";
}

}  // namespace bexora
