// POSIX backend of threads: detached std::threads (the stack-size argument
// is below the platform's minimum and is not used).
#include <system_error>
#include <thread>

#include "platform/threads.h"

namespace platform {
namespace {

class PosixThreads : public Threads {
 public:
  ErrorCode startThread(std::function<void()> body) override {
    try {
      std::thread(std::move(body)).detach();
      return kNoError;
    } catch (const std::system_error&) {
      // Only a lack of resources keeps a thread from starting.
      return kNotEnoughMemory;
    }
  }

  ErrorCode createManualResetEvent(std::unique_ptr<Event>* event) override {
    *event = systemEventFactory().createManualResetEvent();
    return *event ? kNoError : kNotEnoughMemory;
  }
};

}  // namespace

Threads& systemThreads() {
  static PosixThreads threads;
  return threads;
}

}  // namespace platform
