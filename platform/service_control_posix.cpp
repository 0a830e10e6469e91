// POSIX backend of the service control manager's database: there is none.
#include "platform/service_control.h"

namespace platform {
namespace {

class AbsentServiceControl : public ServiceControl {
 public:
  ErrorCode openManager(std::unique_ptr<ServiceManager>*) override { return kFailedServiceControllerConnect; }
};

}  // namespace

ServiceControl& systemServiceControl() {
  static AbsentServiceControl control;
  return control;
}

}  // namespace platform
