// POSIX backend of events: a flag under a mutex with a condition variable.
#include <condition_variable>
#include <mutex>

#include "platform/sync_event.h"

namespace platform {
namespace {

class ConditionEvent : public Event {
 public:
  void signal() override {
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
    changed_.notify_all();
  }

  void wait() override {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

class ConditionEventFactory : public EventFactory {
 public:
  std::unique_ptr<Event> createManualResetEvent() override { return std::make_unique<ConditionEvent>(); }
};

}  // namespace

EventFactory& systemEventFactory() {
  static ConditionEventFactory factory;
  return factory;
}

}  // namespace platform
