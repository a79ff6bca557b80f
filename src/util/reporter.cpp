#include "util/reporter.h"

#include <cstdio>

namespace bexora {

void Reporter::send(Channel channel, const char* format, va_list args) const {
  if (!sink_) return;
  va_list probe;
  va_copy(probe, args);
  const int length = std::vsnprintf(nullptr, 0, format, probe);
  va_end(probe);
  if (length < 0) return;
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(&text[0], text.size(), format, args);
  text.pop_back();
  sink_(channel, text);
}

void Reporter::say(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  send(Channel::kNote, format, args);
  va_end(args);
}

void Reporter::warn(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  send(Channel::kWarning, format, args);
  va_end(args);
}

void Reporter::error(const char* format, ...) const {
  va_list args;
  va_start(args, format);
  send(Channel::kError, format, args);
  va_end(args);
}

void Reporter::record(const char* format, ...) const {
  if (!recordsWanted()) return;
  va_list args;
  va_start(args, format);
  send(Channel::kRecord, format, args);
  va_end(args);
}

void Reporter::pause() const {
  if (sink_) sink_(Channel::kPause, std::string());
}

void Reporter::relay(Channel channel, const std::string& text) const {
  if (channel == Channel::kRecord ? recordsWanted() : static_cast<bool>(sink_)) sink_(channel, text);
}

void Reporter::limitReached(const char* what, std::size_t limit, const std::string& file) const {
  warn("%s limit of %zu reached in %s; the rest is ignored.\n", what, limit, file.c_str());
}

void Reporter::lineOf(long lineNumber, const std::string& file) const {
  say("(line %ld of %s)\n", lineNumber, file.c_str());
}

Reporter keepingReporter(KeptMessages& messages, bool recordsWanted) {
  return Reporter([&messages](Channel channel, const std::string& text) { messages.emplace_back(channel, text); },
                  recordsWanted);
}

void relayAll(const KeptMessages& messages, const Reporter& reporter) {
  for (const auto& [channel, text] : messages) reporter.relay(channel, text);
}

}  // namespace bexora
