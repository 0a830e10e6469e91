// The running side of a service host: the service's main function, its
// control handler, its status reports and the worker thread that runs the
// Java bootstrap.
#ifndef SERVICE_SERVICE_RUNTIME_H
#define SERVICE_SERVICE_RUNTIME_H

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bootstrap/java_vm.h"
#include "platform/service_dispatcher.h"
#include "platform/threads.h"
#include "service/service_profile.h"

namespace service {

// The operating-system services of the running service.
struct ServiceRuntimePlatform {
  bootstrap::BootstrapPlatform bootstrap;
  platform::ServiceDispatcher& dispatcher;
  platform::Threads& threads;
};

inline constexpr std::uint32_t kStartPendingWaitHint = 9000;
inline constexpr std::uint32_t kStopPendingWaitHint = 3000;

// Service-specific exit codes of a service that stopped itself; its final
// report carries ERROR_SERVICE_SPECIFIC_ERROR and one of these.
// The Java bootstrap failed; its one failure entry is in the event log.
inline constexpr std::uint32_t kBootstrapFailedExitCode = 1;
// The Java VM ended on its own, without a stop request.
inline constexpr std::uint32_t kServerEndedExitCode = 2;

// One service run. Its reports, in the order they can come:
//   START_PENDING  checkpoint 1, wait hint 9000, no controls accepted
//   RUNNING        once the stop event exists and the worker has started
//   RUNNING        for any control but a stop, while running
//   STOP_PENDING   checkpoint 1, wait hint 3000, on a stop control
//   STOPPED        exit code 0 after a stop; the failing step's code after a
//                  failed start; ERROR_SERVICE_SPECIFIC_ERROR when the Java
//                  side ended first
// Every report but START_PENDING accepts the stop control and no other.
//
// The status record, the stop event and the run's phase are shared by the
// service thread, the handler and the worker, and kept under one lock, so
// that no report follows STOPPED and no thread touches the stop event once
// it is closed, whichever of a stop and a failing worker comes first. The
// STOPPED report itself is made after the lock is left, once the phase says
// the run has ended: the dispatcher may hold a lock of its own around a
// control handler call that a STOPPED report waits for.
class ServiceRuntime : public std::enable_shared_from_this<ServiceRuntime>,
                       public platform::ServiceMainFunction,
                       public platform::ServiceControlHandler {
 public:
  // Shared: the worker thread holds the runtime for as long as it runs,
  // which may be after the entry point has returned and until the process
  // ends. The profile is copied for the same reason.
  static std::shared_ptr<ServiceRuntime> create(const ServiceProfile& profile,
                                                std::shared_ptr<bootstrap::MessageSink> reporter,
                                                const ServiceRuntimePlatform& platform, std::string exeDirectory);

  // Hands the calling thread to the service dispatcher; returns kNoError
  // once the service has stopped, or the dispatcher's failure code.
  platform::ErrorCode dispatch();

  // The service's main function: reports START_PENDING, creates the stop
  // event, starts the worker, reports RUNNING and waits for the stop event;
  // then closes it, releases the Java VM's keep-alive wait and reports
  // STOPPED without waiting for the worker. The start parameters are
  // ignored. Returns at once, reporting nothing, when the control handler
  // cannot be registered.
  void serviceMain(const std::vector<std::string>& arguments) override;

  // A stop reports STOP_PENDING and then signals the stop event; any other
  // control reports RUNNING. Once a stop is under way or the service has
  // stopped, controls are ignored.
  void handleControl(std::uint32_t control) override;

  // The worker thread's body: runs the Java bootstrap with the exe
  // directory. When the bootstrap returns before a stop was requested, the
  // service stops itself.
  void workerMain();

 private:
  struct PassKey {};

 public:
  ServiceRuntime(PassKey, const ServiceProfile& profile, std::shared_ptr<bootstrap::MessageSink> reporter,
                 const ServiceRuntimePlatform& platform, std::string exeDirectory);

 private:
  // Fills the status record and hands it over; the lock is held, or the run
  // has ended. Returns kNoError when it was accepted, else the refusal's
  // code.
  platform::ErrorCode reportStatus(std::uint32_t state, platform::ErrorCode exitCode, std::uint32_t checkPoint,
                                   std::uint32_t waitHint, std::uint32_t specificExitCode = 0);
  // The ending of serviceMain, after the wait or a failed start step.
  void end(platform::ErrorCode failure);

  const ServiceProfile profile_;
  const std::shared_ptr<bootstrap::MessageSink> reporter_;
  const ServiceRuntimePlatform platform_;
  const std::string exeDirectory_;
  bootstrap::JavaVmInstance instance_;

  std::mutex mutex_;
  platform::ServiceStatus status_;
  platform::ServiceStatusHandle statusHandle_ = nullptr;
  std::unique_ptr<platform::Event> stopEvent_;
  bool stopRequested_ = false;
  bool ended_ = false;
  std::uint32_t serverEndCode_ = 0;  // set when the Java side ended first
};

}  // namespace service

#endif
