// Win32 backend of the event log: the Application log.
#include "platform/event_log.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

class Win32EventSource : public EventSource {
 public:
  explicit Win32EventSource(HANDLE handle) : handle_(handle) {}
  ~Win32EventSource() override { DeregisterEventSource(handle_); }

  bool report(EventLogEntryType type, const std::string& text) override {
    const char* strings[1] = {text.c_str()};
    return ReportEventA(handle_, static_cast<WORD>(type), 0, 0, nullptr, 1, 0, strings, nullptr) != FALSE;
  }

 private:
  HANDLE handle_;
};

class Win32EventLog : public EventLog {
 public:
  std::unique_ptr<EventSource> registerSource(const std::string& sourceName) override {
    HANDLE handle = RegisterEventSourceA(nullptr, sourceName.c_str());
    if (handle == nullptr) return nullptr;
    return std::make_unique<Win32EventSource>(handle);
  }
};

}  // namespace

EventLog& systemEventLog() {
  static Win32EventLog log;
  return log;
}

}  // namespace platform
