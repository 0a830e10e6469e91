#include "service/service_runtime.h"

namespace service {

using platform::ErrorCode;
using platform::kNoError;

std::shared_ptr<ServiceRuntime> ServiceRuntime::create(const ServiceProfile& profile,
                                                       std::shared_ptr<bootstrap::MessageSink> reporter,
                                                       const ServiceRuntimePlatform& platform,
                                                       std::string exeDirectory) {
  return std::make_shared<ServiceRuntime>(PassKey{}, profile, std::move(reporter), platform, std::move(exeDirectory));
}

ServiceRuntime::ServiceRuntime(PassKey, const ServiceProfile& profile, std::shared_ptr<bootstrap::MessageSink> reporter,
                               const ServiceRuntimePlatform& platform, std::string exeDirectory)
    : profile_(profile), reporter_(std::move(reporter)), platform_(platform), exeDirectory_(std::move(exeDirectory)) {}

ErrorCode ServiceRuntime::dispatch() { return platform_.dispatcher.run(profile_.serviceName, *this); }

void ServiceRuntime::serviceMain(const std::vector<std::string>&) {
  platform::ServiceStatusHandle handle = platform_.dispatcher.registerControlHandler(profile_.serviceName, *this);
  if (handle == nullptr) return;
  ErrorCode failure = kNoError;
  {
    // No control arrives before RUNNING, but the worker may end at any
    // moment once started and then takes this lock.
    std::lock_guard<std::mutex> lock(mutex_);
    statusHandle_ = handle;
    status_.serviceType = platform::kServiceWin32OwnProcess;
    status_.serviceSpecificExitCode = 0;
    failure = reportStatus(platform::kServiceStartPending, kNoError, 1, kStartPendingWaitHint);
    if (failure == kNoError) failure = platform_.threads.createManualResetEvent(&stopEvent_);
    if (failure == kNoError) {
      failure = platform_.threads.startThread([self = shared_from_this()] { self->workerMain(); });
    }
    // A refused RUNNING report leaves the worker, already under way, to run
    // until the process ends.
    if (failure == kNoError) failure = reportStatus(platform::kServiceRunning, kNoError, 0, 0);
  }
  // Only this thread replaces or closes the stop event, so it is read here
  // without the lock.
  if (failure == kNoError) stopEvent_->wait();
  end(failure);
}

void ServiceRuntime::end(ErrorCode failure) {
  ErrorCode exitCode = failure;
  std::uint32_t specificExitCode = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    // From here on the handler and the worker leave the record and the
    // event alone, so STOPPED below is the last report.
    ended_ = true;
    stopEvent_.reset();
    if (failure == kNoError && serverEndCode_ != 0) {
      exitCode = platform::kServiceSpecificError;
      specificExitCode = serverEndCode_;
    }
  }
  instance_.release();
  // Not under the lock: the dispatcher may hold a lock of its own while a
  // control waits for ours, and a STOPPED report can wait for that lock.
  reportStatus(platform::kServiceStopped, exitCode, 0, 0, specificExitCode);
}

void ServiceRuntime::handleControl(std::uint32_t control) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Any report now could land after STOPPED.
  if (stopRequested_ || ended_) return;
  if (control == platform::kServiceControlStop) {
    stopRequested_ = true;
    reportStatus(platform::kServiceStopPending, kNoError, 1, kStopPendingWaitHint);
    if (stopEvent_) stopEvent_->signal();
    return;
  }
  reportStatus(platform::kServiceRunning, kNoError, 0, 0);
}

void ServiceRuntime::workerMain() {
  bootstrap::LaunchRequest request;
  request.exeDirectory = exeDirectory_;
  bootstrap::BootstrapResult result =
      bootstrap::runBootstrap(profile_.launchProfile, request, *reporter_, instance_, platform_.bootstrap);
  std::lock_guard<std::mutex> lock(mutex_);
  if (stopRequested_ || ended_) return;
  // Nothing runs behind the service any more: it stops itself rather than
  // stay RUNNING.
  serverEndCode_ = result == bootstrap::BootstrapResult::Failed ? kBootstrapFailedExitCode : kServerEndedExitCode;
  if (stopEvent_) stopEvent_->signal();
}

ErrorCode ServiceRuntime::reportStatus(std::uint32_t state, ErrorCode exitCode, std::uint32_t checkPoint,
                                       std::uint32_t waitHint, std::uint32_t specificExitCode) {
  status_.currentState = state;
  status_.controlsAccepted = state == platform::kServiceStartPending ? 0 : platform::kServiceAcceptStop;
  status_.win32ExitCode = exitCode;
  status_.serviceSpecificExitCode = specificExitCode;
  status_.checkPoint = checkPoint;
  status_.waitHint = waitHint;
  return platform_.dispatcher.setStatus(statusHandle_, status_);
}

}  // namespace service
