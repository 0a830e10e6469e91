// The service control manager's database: registering and removing
// services. POSIX has no service control manager; its backend fails every
// operation with kFailedServiceControllerConnect.
#ifndef PLATFORM_SERVICE_CONTROL_H
#define PLATFORM_SERVICE_CONTROL_H

#include <memory>
#include <string>

#include "platform/error_code.h"

namespace platform {

// An open service. Destroying it closes its handle.
class InstalledService {
 public:
  virtual ~InstalledService() = default;

  // Marks the service for deletion (DeleteService); the manager removes it
  // once it has stopped. Returns kNoError or the code of the refusal.
  virtual ErrorCode remove() = 0;
};

// An open handle to the service control manager. Destroying it closes it.
class ServiceManager {
 public:
  virtual ~ServiceManager() = default;

  // Registers a service (CreateServiceA) that runs in a process of its own,
  // is started on demand, has normal error control and runs as LocalSystem,
  // opened with all access; no load-order group, tag or dependencies.
  // `binaryPath` is the command line the manager starts it with. On success
  // stores the open service and returns kNoError.
  virtual ErrorCode createService(const std::string& name, const std::string& displayName,
                                  const std::string& binaryPath, std::unique_ptr<InstalledService>* service) = 0;

  // Opens the service `name` with the access right to delete it
  // (OpenServiceA with DELETE).
  virtual ErrorCode openServiceForDeletion(const std::string& name, std::unique_ptr<InstalledService>* service) = 0;
};

class ServiceControl {
 public:
  virtual ~ServiceControl() = default;

  // Opens the active database of the local computer with all access
  // (OpenSCManagerA). On success stores it and returns kNoError.
  virtual ErrorCode openManager(std::unique_ptr<ServiceManager>* manager) = 0;
};

ServiceControl& systemServiceControl();

}  // namespace platform

#endif
