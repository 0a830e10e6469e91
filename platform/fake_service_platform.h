// Scriptable in-memory fakes of the service capabilities of the platform
// seam: service control manager, dispatcher and status, event log,
// threads and the running executable's location. Like the fakes of
// fake_platform.h they record what they were asked into a shared CallLog,
// and each step can be told to fail with a chosen code.
#ifndef PLATFORM_FAKE_SERVICE_PLATFORM_H
#define PLATFORM_FAKE_SERVICE_PLATFORM_H

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/event_log.h"
#include "platform/executable_file.h"
#include "platform/fake_platform.h"
#include "platform/service_control.h"
#include "platform/service_dispatcher.h"
#include "platform/threads.h"

namespace platform {

// The service control manager's database. Logs "scm.openManager",
// "scm.createService <name>|<display name>|<binary path>",
// "scm.openService <name>", "scm.deleteService <name>",
// "scm.closeService <name>" and "scm.closeManager"; a failed step adds
// " failed <code>".
class FakeServiceControl : public ServiceControl {
 public:
  explicit FakeServiceControl(CallLog& log) : log_(log) {}

  ErrorCode openManager(std::unique_ptr<ServiceManager>* manager) override;

  // Registered services by name; creating one that is here fails with
  // kServiceExists, opening one that is not with kServiceDoesNotExist, and
  // a deletion takes it out.
  std::set<std::string> installed;
  // Script: failure codes of single steps.
  ErrorCode openManagerFailure = kNoError;
  ErrorCode createFailure = kNoError;
  ErrorCode openServiceFailure = kNoError;
  ErrorCode deleteFailure = kNoError;

 private:
  CallLog& log_;
};

// A dispatcher that runs the service's main function on a thread of its
// own, as the system's does, and delivers controls when the test says so.
// Like the system's, it holds a lock of its own while the handler runs, and
// a STOPPED report waits for that lock; one that waits in vain for 10
// seconds is logged " blocked by a control" and refused with
// kInvalidHandle. Logs "dispatcher.run <name>", "dispatcher.registerHandler
// <name>" and every status report as "status <state> accepts=<n> exit=<n>
// specific=<n> checkpoint=<n> hint=<n>", with " refused <code>" when it is
// refused.
class FakeServiceDispatcher : public ServiceDispatcher {
 public:
  explicit FakeServiceDispatcher(CallLog& log) : log_(log) {}

  ErrorCode run(const std::string& serviceName, ServiceMainFunction& main) override;
  ServiceStatusHandle registerControlHandler(const std::string& serviceName, ServiceControlHandler& handler) override;
  ErrorCode setStatus(ServiceStatusHandle handle, const ServiceStatus& status) override;

  // Calls the registered handler with `control` on the calling thread, as
  // the dispatcher does on the process's main thread. Logs
  // "dispatcher.control <code>" once it holds its lock.
  void deliver(std::uint32_t control);

  // Every report made, accepted or not, in order.
  std::vector<ServiceStatus> reports() const;

  // Script: the dispatcher's own failure, a failed handler registration,
  // and refusal codes of reports by the state they report.
  ErrorCode runFailure = kNoError;
  bool failHandlerRegistration = false;
  std::map<std::uint32_t, ErrorCode> refuseState;
  // Called at the start of every report, on the reporting thread; set it
  // before the service starts.
  std::function<void(const ServiceStatus&)> beforeReport;

  // The text of a state in the log ("RUNNING", "STOP_PENDING", ...).
  static std::string stateName(std::uint32_t state);

 private:
  CallLog& log_;
  std::timed_mutex controlInProgress_;
  mutable std::mutex mutex_;
  ServiceControlHandler* handler_ = nullptr;
  std::vector<ServiceStatus> reports_;
};

// The event log. Logs "eventlog.register <source>",
// "eventlog.report <source> <type> <text>" with type 1 or 4, and
// "eventlog.deregister <source>".
class FakeEventLog : public EventLog {
 public:
  explicit FakeEventLog(CallLog& log) : log_(log) {}

  std::unique_ptr<EventSource> registerSource(const std::string& sourceName) override;

  struct Entry {
    EventLogEntryType type;
    std::string text;
  };
  // The entries written, in order.
  std::vector<Entry> entries() const;

  // Script: the source cannot be registered; reports are refused.
  bool failRegistration = false;
  bool failReport = false;

 private:
  friend class FakeEventSource;
  CallLog& log_;
  mutable std::mutex mutex_;
  std::vector<Entry> entries_;
};

// Threads and events. A started body runs on a real thread, at once or,
// with holdThreads, when runHeld says so; the destructor joins them all.
// Events come from the given FakeEventFactory, so they share its numbering
// and log entries. Logs "threads.start" and "threads.createEvent", with
// " failed <code>" when scripted to fail.
class FakeThreads : public Threads {
 public:
  FakeThreads(CallLog& log, FakeEventFactory& events) : log_(log), events_(events) {}
  ~FakeThreads() override;

  ErrorCode startThread(std::function<void()> body) override;
  ErrorCode createManualResetEvent(std::unique_ptr<Event>* event) override;

  // Starts the held bodies on threads of their own.
  void runHeld();
  // Waits for every started thread to end.
  void joinAll();

  bool holdThreads = false;
  ErrorCode startFailure = kNoError;
  ErrorCode eventFailure = kNoError;

 private:
  CallLog& log_;
  FakeEventFactory& events_;
  std::mutex mutex_;
  std::vector<std::function<void()>> held_;
  std::vector<std::thread> threads_;
};

// The running executable's location, as scripted.
class FakeRunningExecutable : public RunningExecutable {
 public:
  ErrorCode path(std::string* path) override;
  ErrorCode directory(std::string* directory) override;

  std::string filePath = "C:\\Program Files\\Lumagrid\\bin\\program.exe";
  std::string fileDirectory = "C:\\Program Files\\Lumagrid\\bin";
  ErrorCode failure = kNoError;
};

}  // namespace platform

#endif
