// Win32 backend of the service control manager's database.
#include "platform/service_control.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

class Win32InstalledService : public InstalledService {
 public:
  explicit Win32InstalledService(SC_HANDLE handle) : handle_(handle) {}
  ~Win32InstalledService() override { CloseServiceHandle(handle_); }

  ErrorCode remove() override { return DeleteService(handle_) ? kNoError : GetLastError(); }

 private:
  SC_HANDLE handle_;
};

class Win32ServiceManager : public ServiceManager {
 public:
  explicit Win32ServiceManager(SC_HANDLE handle) : handle_(handle) {}
  ~Win32ServiceManager() override { CloseServiceHandle(handle_); }

  ErrorCode createService(const std::string& name, const std::string& displayName, const std::string& binaryPath,
                          std::unique_ptr<InstalledService>* service) override {
    SC_HANDLE handle = CreateServiceA(handle_, name.c_str(), displayName.c_str(), SERVICE_ALL_ACCESS,
                                      SERVICE_WIN32_OWN_PROCESS, SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL,
                                      binaryPath.c_str(), nullptr, nullptr, nullptr, nullptr, nullptr);
    if (handle == nullptr) return GetLastError();
    *service = std::make_unique<Win32InstalledService>(handle);
    return kNoError;
  }

  ErrorCode openServiceForDeletion(const std::string& name, std::unique_ptr<InstalledService>* service) override {
    SC_HANDLE handle = OpenServiceA(handle_, name.c_str(), DELETE);
    if (handle == nullptr) return GetLastError();
    *service = std::make_unique<Win32InstalledService>(handle);
    return kNoError;
  }

 private:
  SC_HANDLE handle_;
};

class Win32ServiceControl : public ServiceControl {
 public:
  ErrorCode openManager(std::unique_ptr<ServiceManager>* manager) override {
    SC_HANDLE handle = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (handle == nullptr) return GetLastError();
    *manager = std::make_unique<Win32ServiceManager>(handle);
    return kNoError;
  }
};

}  // namespace

ServiceControl& systemServiceControl() {
  static Win32ServiceControl control;
  return control;
}

}  // namespace platform
