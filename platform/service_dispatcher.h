// The running side of a service: the dispatcher that hands the process to
// the service control manager, the control handler and status reports.
// POSIX has no service control manager; its dispatcher fails with
// kFailedServiceControllerConnect, as a Windows program does when no
// service control manager started it.
#ifndef PLATFORM_SERVICE_DISPATCHER_H
#define PLATFORM_SERVICE_DISPATCHER_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/error_code.h"

namespace platform {

// SERVICE_STATUS_HANDLE; null means none.
using ServiceStatusHandle = void*;

inline constexpr std::uint32_t kServiceWin32OwnProcess = 0x10;  // SERVICE_WIN32_OWN_PROCESS

// dwCurrentState values.
inline constexpr std::uint32_t kServiceStopped = 1;
inline constexpr std::uint32_t kServiceStartPending = 2;
inline constexpr std::uint32_t kServiceStopPending = 3;
inline constexpr std::uint32_t kServiceRunning = 4;

inline constexpr std::uint32_t kServiceAcceptStop = 1;  // SERVICE_ACCEPT_STOP

// Control codes.
inline constexpr std::uint32_t kServiceControlStop = 1;
inline constexpr std::uint32_t kServiceControlPause = 2;
inline constexpr std::uint32_t kServiceControlContinue = 3;
inline constexpr std::uint32_t kServiceControlInterrogate = 4;

// The fields of SERVICE_STATUS, in its order.
struct ServiceStatus {
  std::uint32_t serviceType = 0;
  std::uint32_t currentState = 0;
  std::uint32_t controlsAccepted = 0;
  std::uint32_t win32ExitCode = 0;
  std::uint32_t serviceSpecificExitCode = 0;
  std::uint32_t checkPoint = 0;
  std::uint32_t waitHint = 0;
};

// The service's main function, as named in the dispatcher table.
class ServiceMainFunction {
 public:
  virtual ~ServiceMainFunction() = default;
  // Runs on a thread the dispatcher creates; returns when the service has
  // stopped. `arguments` are the service's start parameters.
  virtual void serviceMain(const std::vector<std::string>& arguments) = 0;
};

// A control handler in its plain form: one control code, no result.
class ServiceControlHandler {
 public:
  virtual ~ServiceControlHandler() = default;
  virtual void handleControl(std::uint32_t control) = 0;
};

class ServiceDispatcher {
 public:
  virtual ~ServiceDispatcher() = default;

  // Hands the calling thread to the dispatcher (StartServiceCtrlDispatcherA)
  // with one service, `serviceName`, whose main function is `main`. Returns
  // kNoError once the service has stopped, or at once the code of the
  // failure, ERROR_FAILED_SERVICE_CONTROLLER_CONNECT when the process was
  // not started by the service control manager. One service per process.
  virtual ErrorCode run(const std::string& serviceName, ServiceMainFunction& main) = 0;

  // Registers `handler` for `serviceName` (RegisterServiceCtrlHandlerA);
  // the dispatcher calls it for every control. Returns the status handle,
  // or null when the registration fails. `handler` must outlive the
  // dispatcher's run.
  virtual ServiceStatusHandle registerControlHandler(const std::string& serviceName,
                                                     ServiceControlHandler& handler) = 0;

  // Hands `status` to the service control manager (SetServiceStatus).
  // Returns kNoError when it was accepted, otherwise the code of the refusal.
  virtual ErrorCode setStatus(ServiceStatusHandle handle, const ServiceStatus& status) = 0;
};

ServiceDispatcher& systemServiceDispatcher();

}  // namespace platform

#endif
