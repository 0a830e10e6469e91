// Threads started through the C runtime, and events whose creation failure
// carries its code.
#ifndef PLATFORM_THREADS_H
#define PLATFORM_THREADS_H

#include <functional>
#include <memory>

#include "platform/error_code.h"
#include "platform/sync_event.h"

namespace platform {

class Threads {
 public:
  virtual ~Threads() = default;

  // Runs `body` on a new thread started through the C runtime, so that the
  // runtime's per-thread data exists for it (on Windows _beginthread with a
  // stack-size argument of kThreadStackCommit; the runtime closes the
  // thread's handle when it ends). Returns kNoError, or the code of the
  // failure when the thread was not started.
  virtual ErrorCode startThread(std::function<void()> body) = 0;

  // A new unnamed, unsignalled manual-reset event, stored in `event`; or the
  // code the creation failed with.
  virtual ErrorCode createManualResetEvent(std::unique_ptr<Event>* event) = 0;
};

// The stack-size argument of a thread start: on Windows the stack's initial
// commit; the reservation stays the executable's default.
inline constexpr unsigned kThreadStackCommit = 4096;

Threads& systemThreads();

}  // namespace platform

#endif
