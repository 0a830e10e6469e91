// Entries in the system's event log: on Windows the Application log under a
// named event source, on POSIX syslog.
#ifndef PLATFORM_EVENT_LOG_H
#define PLATFORM_EVENT_LOG_H

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// The entry types the programs write (EVENTLOG_ERROR_TYPE and
// EVENTLOG_INFORMATION_TYPE).
enum class EventLogEntryType : std::uint16_t { Error = 1, Information = 4 };

// A registered event source. Destroying it deregisters it.
class EventSource {
 public:
  virtual ~EventSource() = default;

  // Writes one entry: category 0, event identifier 0, no user security
  // identifier, `text` as its one insertion string and no raw data. Returns
  // whether the log accepted it.
  virtual bool report(EventLogEntryType type, const std::string& text) = 0;
};

class EventLog {
 public:
  virtual ~EventLog() = default;

  // Registers the event source `sourceName` on the local computer; null when
  // it cannot be registered.
  virtual std::unique_ptr<EventSource> registerSource(const std::string& sourceName) = 0;
};

EventLog& systemEventLog();

}  // namespace platform

#endif
