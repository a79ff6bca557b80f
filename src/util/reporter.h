// How modules below the driver tell what happened. They never print or wait
// on a terminal: each message, with its severity and exact text, goes to the
// Reporter the driver handed down, and the driver decides where and how it
// appears (its severity's mark included), in the order given. A default-made
// Reporter drops everything, for callers (tests, benchmarks) that want the
// result only.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace bexora {

enum class Channel {
  kNote,     // text for the user, line ends included
  kWarning,  // the same, about something the run passed over or worked around
  kError,    // the same, about something that stops a result
  kRecord,   // one "-V" diagnostic record, without prefix or line end
  kPause,    // the user should see the messages before the run goes on
};

class Reporter {
 public:
  using Sink = std::function<void(Channel, const std::string&)>;

  Reporter() = default;
  Reporter(Sink sink, bool recordsWanted) : sink_(std::move(sink)), recordsWanted_(recordsWanted) {}

  void say(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  void warn(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  void error(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  // Formatted only when records are wanted, since some are costly to gather.
  void record(const char* format, ...) const __attribute__((format(printf, 2, 3)));
  bool recordsWanted() const { return recordsWanted_ && sink_; }
  void pause() const;
  // Passes a message taken earlier from another Reporter's sink on unchanged.
  void relay(Channel channel, const std::string& text) const;

  // Warning for a full table: `what` names the limit, `file` the input.
  void limitReached(const char* what, std::size_t limit, const std::string& file) const;
  // "(line N of FILE)": follows a message about one line of an input.
  void lineOf(long lineNumber, const std::string& file) const;

 private:
  void send(Channel channel, const char* format, va_list args) const;

  Sink sink_;
  bool recordsWanted_ = false;
};

// Messages kept in the order they were given, to be told again later.
using KeptMessages = std::vector<std::pair<Channel, std::string>>;

// A Reporter that keeps what it is told in `messages`; records only when
// `recordsWanted`, as the Reporter they will be told to would take them.
Reporter keepingReporter(KeptMessages& messages, bool recordsWanted);

// Tells `messages` again, unchanged and in order, to `reporter`.
void relayAll(const KeptMessages& messages, const Reporter& reporter);

}  // namespace bexora
