#include "platform/fake_service_platform.h"

#include <chrono>

namespace platform {
namespace {

std::string failedSuffix(ErrorCode code) { return " failed " + std::to_string(code); }

class FakeInstalledService : public InstalledService {
 public:
  FakeInstalledService(CallLog& log, FakeServiceControl& control, std::string name)
      : log_(log), control_(control), name_(std::move(name)) {}
  ~FakeInstalledService() override { log_.add("scm.closeService " + name_); }

  ErrorCode remove() override {
    if (control_.deleteFailure != kNoError) {
      log_.add("scm.deleteService " + name_ + failedSuffix(control_.deleteFailure));
      return control_.deleteFailure;
    }
    log_.add("scm.deleteService " + name_);
    control_.installed.erase(name_);
    return kNoError;
  }

 private:
  CallLog& log_;
  FakeServiceControl& control_;
  std::string name_;
};

}  // namespace

class FakeServiceManager : public ServiceManager {
 public:
  FakeServiceManager(CallLog& log, FakeServiceControl& control) : log_(log), control_(control) {}
  ~FakeServiceManager() override { log_.add("scm.closeManager"); }

  ErrorCode createService(const std::string& name, const std::string& displayName, const std::string& binaryPath,
                          std::unique_ptr<InstalledService>* service) override {
    std::string entry = "scm.createService " + name + "|" + displayName + "|" + binaryPath;
    ErrorCode code = control_.createFailure;
    if (code == kNoError && control_.installed.count(name) != 0) code = kServiceExists;
    if (code != kNoError) {
      log_.add(entry + failedSuffix(code));
      return code;
    }
    log_.add(entry);
    control_.installed.insert(name);
    *service = std::make_unique<FakeInstalledService>(log_, control_, name);
    return kNoError;
  }

  ErrorCode openServiceForDeletion(const std::string& name, std::unique_ptr<InstalledService>* service) override {
    ErrorCode code = control_.openServiceFailure;
    if (code == kNoError && control_.installed.count(name) == 0) code = kServiceDoesNotExist;
    if (code != kNoError) {
      log_.add("scm.openService " + name + failedSuffix(code));
      return code;
    }
    log_.add("scm.openService " + name);
    *service = std::make_unique<FakeInstalledService>(log_, control_, name);
    return kNoError;
  }

 private:
  CallLog& log_;
  FakeServiceControl& control_;
};

ErrorCode FakeServiceControl::openManager(std::unique_ptr<ServiceManager>* manager) {
  if (openManagerFailure != kNoError) {
    log_.add("scm.openManager" + failedSuffix(openManagerFailure));
    return openManagerFailure;
  }
  log_.add("scm.openManager");
  *manager = std::make_unique<FakeServiceManager>(log_, *this);
  return kNoError;
}

ErrorCode FakeServiceDispatcher::run(const std::string& serviceName, ServiceMainFunction& main) {
  if (runFailure != kNoError) {
    log_.add("dispatcher.run " + serviceName + failedSuffix(runFailure));
    return runFailure;
  }
  log_.add("dispatcher.run " + serviceName);
  std::thread serviceThread([&main, serviceName] { main.serviceMain({serviceName}); });
  serviceThread.join();
  log_.add("dispatcher.returns");
  return kNoError;
}

ServiceStatusHandle FakeServiceDispatcher::registerControlHandler(const std::string& serviceName,
                                                                  ServiceControlHandler& handler) {
  if (failHandlerRegistration) {
    log_.add("dispatcher.registerHandler " + serviceName + " failed");
    return nullptr;
  }
  log_.add("dispatcher.registerHandler " + serviceName);
  std::lock_guard<std::mutex> lock(mutex_);
  handler_ = &handler;
  return this;
}

ErrorCode FakeServiceDispatcher::setStatus(ServiceStatusHandle handle, const ServiceStatus& status) {
  if (beforeReport) beforeReport(status);
  if (status.currentState == kServiceStopped) {
    std::unique_lock<std::timed_mutex> control(controlInProgress_, std::defer_lock);
    if (!control.try_lock_for(std::chrono::seconds(10))) {
      log_.add("status " + stateName(status.currentState) + " blocked by a control");
      return kInvalidHandle;
    }
  }
  std::string entry = "status " + stateName(status.currentState) + " accepts=" +
                      std::to_string(status.controlsAccepted) + " exit=" + std::to_string(status.win32ExitCode) +
                      " specific=" + std::to_string(status.serviceSpecificExitCode) +
                      " checkpoint=" + std::to_string(status.checkPoint) + " hint=" + std::to_string(status.waitHint);
  if (status.serviceType != kServiceWin32OwnProcess) entry += " type=" + std::to_string(status.serviceType);
  if (handle != this) entry += " with a handle never given out";
  ErrorCode code = kNoError;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    reports_.push_back(status);
    auto refusal = refuseState.find(status.currentState);
    if (refusal != refuseState.end()) code = refusal->second;
  }
  log_.add(code == kNoError ? entry : entry + " refused " + std::to_string(code));
  return code;
}

void FakeServiceDispatcher::deliver(std::uint32_t control) {
  std::lock_guard<std::timed_mutex> inProgress(controlInProgress_);
  log_.add("dispatcher.control " + std::to_string(control));
  ServiceControlHandler* handler = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    handler = handler_;
  }
  if (handler != nullptr) handler->handleControl(control);
}

std::vector<ServiceStatus> FakeServiceDispatcher::reports() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return reports_;
}

std::string FakeServiceDispatcher::stateName(std::uint32_t state) {
  switch (state) {
    case kServiceStopped:
      return "STOPPED";
    case kServiceStartPending:
      return "START_PENDING";
    case kServiceStopPending:
      return "STOP_PENDING";
    case kServiceRunning:
      return "RUNNING";
    default:
      return "state" + std::to_string(state);
  }
}

class FakeEventSource : public EventSource {
 public:
  FakeEventSource(FakeEventLog& owner, std::string source) : owner_(owner), source_(std::move(source)) {}
  ~FakeEventSource() override { owner_.log_.add("eventlog.deregister " + source_); }

  bool report(EventLogEntryType type, const std::string& text) override {
    std::string entry = "eventlog.report " + source_ + " " + std::to_string(static_cast<int>(type)) + " " + text;
    if (owner_.failReport) {
      owner_.log_.add(entry + " refused");
      return false;
    }
    {
      std::lock_guard<std::mutex> lock(owner_.mutex_);
      owner_.entries_.push_back(FakeEventLog::Entry{type, text});
    }
    owner_.log_.add(entry);
    return true;
  }

 private:
  FakeEventLog& owner_;
  std::string source_;
};

std::unique_ptr<EventSource> FakeEventLog::registerSource(const std::string& sourceName) {
  if (failRegistration) {
    log_.add("eventlog.register " + sourceName + " failed");
    return nullptr;
  }
  log_.add("eventlog.register " + sourceName);
  return std::make_unique<FakeEventSource>(*this, sourceName);
}

std::vector<FakeEventLog::Entry> FakeEventLog::entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_;
}

FakeThreads::~FakeThreads() { joinAll(); }

ErrorCode FakeThreads::startThread(std::function<void()> body) {
  if (startFailure != kNoError) {
    log_.add("threads.start" + failedSuffix(startFailure));
    return startFailure;
  }
  log_.add("threads.start");
  std::lock_guard<std::mutex> lock(mutex_);
  if (holdThreads) {
    held_.push_back(std::move(body));
  } else {
    threads_.emplace_back(std::move(body));
  }
  return kNoError;
}

ErrorCode FakeThreads::createManualResetEvent(std::unique_ptr<Event>* event) {
  if (eventFailure != kNoError) {
    log_.add("threads.createEvent" + failedSuffix(eventFailure));
    return eventFailure;
  }
  log_.add("threads.createEvent");
  *event = events_.createManualResetEvent();
  return *event ? kNoError : kNotEnoughMemory;
}

void FakeThreads::runHeld() {
  std::lock_guard<std::mutex> lock(mutex_);
  for (auto& body : held_) threads_.emplace_back(std::move(body));
  held_.clear();
}

void FakeThreads::joinAll() {
  std::vector<std::thread> running;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    running.swap(threads_);
  }
  for (std::thread& thread : running) thread.join();
}

ErrorCode FakeRunningExecutable::path(std::string* path) {
  if (failure != kNoError) return failure;
  *path = filePath;
  return kNoError;
}

ErrorCode FakeRunningExecutable::directory(std::string* directory) {
  if (failure != kNoError) return failure;
  *directory = fileDirectory;
  return kNoError;
}

}  // namespace platform
