// POSIX backend of the service dispatcher: no service control manager can
// start the process, so the dispatcher fails as on Windows for a program
// started from a console.
#include "platform/service_dispatcher.h"

namespace platform {
namespace {

class AbsentServiceDispatcher : public ServiceDispatcher {
 public:
  ErrorCode run(const std::string&, ServiceMainFunction&) override { return kFailedServiceControllerConnect; }
  ServiceStatusHandle registerControlHandler(const std::string&, ServiceControlHandler&) override { return nullptr; }
  ErrorCode setStatus(ServiceStatusHandle, const ServiceStatus&) override { return kInvalidHandle; }
};

}  // namespace

ServiceDispatcher& systemServiceDispatcher() {
  static AbsentServiceDispatcher dispatcher;
  return dispatcher;
}

}  // namespace platform
