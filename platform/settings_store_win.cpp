// Win32 backend of the settings store: the registry.
#include <cstring>
#include <vector>

#include "platform/settings_store.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

constexpr const char kEnvironmentKeyPath[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";

class RegistryKey : public SettingsKey {
 public:
  explicit RegistryKey(HKEY key) : key_(key) {}
  ~RegistryKey() override { RegCloseKey(key_); }

  ErrorCode readText(const char* name, std::size_t bufferSize, std::string* text) override {
    std::vector<char> buffer(bufferSize);
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(bufferSize);
    // The registry functions return their code; the thread's last error is
    // not set by them, so the returned value is the one to report.
    LONG status = RegQueryValueExA(key_, name, nullptr, &type,
                                   reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status != ERROR_SUCCESS) return static_cast<ErrorCode>(status);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return kInvalidData;
    // Only the bytes the read returned count; a value without its zero
    // within them is not a text.
    const void* end = std::memchr(buffer.data(), 0, size);
    if (end == nullptr) return kInvalidData;
    text->assign(buffer.data(), static_cast<std::size_t>(static_cast<const char*>(end) - buffer.data()));
    return kNoError;
  }

 private:
  HKEY key_;
};

class RegistrySettingsStore : public SettingsStore {
 public:
  ErrorCode openMachineEnvironment(std::unique_ptr<SettingsKey>* key) override {
    HKEY handle = nullptr;
    LONG status = RegOpenKeyA(HKEY_LOCAL_MACHINE, kEnvironmentKeyPath, &handle);
    if (status != ERROR_SUCCESS) return static_cast<ErrorCode>(status);
    *key = std::make_unique<RegistryKey>(handle);
    return kNoError;
  }
};

}  // namespace

SettingsStore& systemSettingsStore() {
  static RegistrySettingsStore store;
  return store;
}

}  // namespace platform
