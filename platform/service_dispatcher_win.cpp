// Win32 backend of the service dispatcher, control handler and status.
#include <atomic>

#include "platform/service_dispatcher.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

// The dispatcher's callbacks carry no context, so the one service of the
// process is reached through these. They are set before the dispatcher or
// the handler registration can call back, on other threads than the one
// setting them.
std::atomic<ServiceMainFunction*> theServiceMain{nullptr};
std::atomic<ServiceControlHandler*> theControlHandler{nullptr};

void WINAPI serviceMainEntry(DWORD count, LPSTR* words) {
  std::vector<std::string> arguments;
  for (DWORD i = 0; i < count; ++i) arguments.emplace_back(words[i] != nullptr ? words[i] : "");
  theServiceMain.load()->serviceMain(arguments);
}

void WINAPI controlHandlerEntry(DWORD control) { theControlHandler.load()->handleControl(control); }

class Win32ServiceDispatcher : public ServiceDispatcher {
 public:
  ErrorCode run(const std::string& serviceName, ServiceMainFunction& main) override {
    theServiceMain = &main;
    std::string name = serviceName;
    SERVICE_TABLE_ENTRYA table[] = {{&name[0], &serviceMainEntry}, {nullptr, nullptr}};
    if (!StartServiceCtrlDispatcherA(table)) return GetLastError();
    return kNoError;
  }

  ServiceStatusHandle registerControlHandler(const std::string& serviceName, ServiceControlHandler& handler) override {
    theControlHandler = &handler;
    return RegisterServiceCtrlHandlerA(serviceName.c_str(), &controlHandlerEntry);
  }

  ErrorCode setStatus(ServiceStatusHandle handle, const ServiceStatus& status) override {
    SERVICE_STATUS record;
    record.dwServiceType = status.serviceType;
    record.dwCurrentState = status.currentState;
    record.dwControlsAccepted = status.controlsAccepted;
    record.dwWin32ExitCode = status.win32ExitCode;
    record.dwServiceSpecificExitCode = status.serviceSpecificExitCode;
    record.dwCheckPoint = status.checkPoint;
    record.dwWaitHint = status.waitHint;
    if (!SetServiceStatus(static_cast<SERVICE_STATUS_HANDLE>(handle), &record)) return GetLastError();
    return kNoError;
  }
};

}  // namespace

ServiceDispatcher& systemServiceDispatcher() {
  static Win32ServiceDispatcher dispatcher;
  return dispatcher;
}

}  // namespace platform
