// Manual-reset events shared between threads.
#ifndef PLATFORM_SYNC_EVENT_H
#define PLATFORM_SYNC_EVENT_H

#include <memory>

namespace platform {

// An unnamed manual-reset event. Destroying it closes it.
class Event {
 public:
  virtual ~Event() = default;
  virtual void signal() = 0;
  // Blocks until the event is signalled; returns at once if it already is.
  virtual void wait() = 0;
};

class EventFactory {
 public:
  virtual ~EventFactory() = default;
  // A new unsignalled manual-reset event, or null when none can be created.
  virtual std::unique_ptr<Event> createManualResetEvent() = 0;
};

EventFactory& systemEventFactory();

}  // namespace platform

#endif
