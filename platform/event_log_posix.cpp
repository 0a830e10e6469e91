// POSIX backend of the event log: syslog, facility user, with the source
// name in front of each text.
#include <syslog.h>

#include "platform/event_log.h"

namespace platform {
namespace {

class SyslogSource : public EventSource {
 public:
  explicit SyslogSource(std::string name) : name_(std::move(name)) {}

  bool report(EventLogEntryType type, const std::string& text) override {
    int priority = type == EventLogEntryType::Error ? LOG_ERR : LOG_INFO;
    // No openlog: its identity is process-wide, and sources may report
    // from several threads at once.
    syslog(LOG_USER | priority, "%s: %s", name_.c_str(), text.c_str());
    return true;
  }

 private:
  std::string name_;
};

class SyslogEventLog : public EventLog {
 public:
  std::unique_ptr<EventSource> registerSource(const std::string& sourceName) override {
    return std::make_unique<SyslogSource>(sourceName);
  }
};

}  // namespace

EventLog& systemEventLog() {
  static SyslogEventLog log;
  return log;
}

}  // namespace platform
