// Win32 backend of threads: the C runtime's _beginthread.
#include <process.h>

#include "platform/threads.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

void __cdecl threadEntry(void* argument) {
  std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  (*body)();
}

class RuntimeThreads : public Threads {
 public:
  ErrorCode startThread(std::function<void()> body) override {
    auto* owned = new std::function<void()>(std::move(body));
    SetLastError(kNoError);
    uintptr_t handle = _beginthread(&threadEntry, kThreadStackCommit, owned);
    if (handle != static_cast<uintptr_t>(-1)) return kNoError;
    // The runtime keeps CreateThread's code as the thread's last error; a
    // refusal of its own (a bad argument) leaves none.
    ErrorCode code = GetLastError();
    delete owned;
    return code != kNoError ? code : kNotEnoughMemory;
  }

  ErrorCode createManualResetEvent(std::unique_ptr<Event>* event) override {
    *event = systemEventFactory().createManualResetEvent();
    if (*event) return kNoError;
    // The factory returns straight after CreateEventA fails, so the
    // thread's last error is still its code.
    return GetLastError();
  }
};

}  // namespace

Threads& systemThreads() {
  static RuntimeThreads threads;
  return threads;
}

}  // namespace platform
