// Win32 backend of events.
#include "platform/sync_event.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

class Win32Event : public Event {
 public:
  explicit Win32Event(HANDLE handle) : handle_(handle) {}
  ~Win32Event() override { CloseHandle(handle_); }
  void signal() override { SetEvent(handle_); }
  void wait() override { WaitForSingleObject(handle_, INFINITE); }

 private:
  HANDLE handle_;
};

class Win32EventFactory : public EventFactory {
 public:
  std::unique_ptr<Event> createManualResetEvent() override {
    HANDLE handle = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (handle == nullptr) return nullptr;
    return std::make_unique<Win32Event>(handle);
  }
};

}  // namespace

EventFactory& systemEventFactory() {
  static Win32EventFactory factory;
  return factory;
}

}  // namespace platform
