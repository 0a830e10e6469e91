#include "testing/windows_test_support/java_home_value.h"

#include <vector>

namespace windows_test {

namespace {

constexpr const char kEnvironmentKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char kValueName[] = "LMG_JAVA_HOME";

}  // namespace

JavaHomeValue::JavaHomeValue() {
  if (RegOpenKeyA(HKEY_LOCAL_MACHINE, kEnvironmentKey, &key_) != ERROR_SUCCESS) {
    key_ = nullptr;
    return;
  }
  std::vector<char> saved(32768);
  DWORD size = static_cast<DWORD>(saved.size());
  DWORD type = 0;
  hadValue_ = RegQueryValueExA(key_, kValueName, nullptr, &type, reinterpret_cast<BYTE*>(saved.data()), &size) ==
              ERROR_SUCCESS;
  if (hadValue_) {
    savedType_ = type;
    saved_.assign(saved.data(), size);
  }
}

JavaHomeValue::~JavaHomeValue() {
  if (key_ == nullptr) return;
  if (hadValue_) {
    RegSetValueExA(key_, kValueName, 0, savedType_, reinterpret_cast<const BYTE*>(saved_.data()),
                   static_cast<DWORD>(saved_.size()));
  } else {
    RegDeleteValueA(key_, kValueName);
  }
  RegCloseKey(key_);
}

bool JavaHomeValue::set(const std::string& home) {
  return RegSetValueExA(key_, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(home.c_str()),
                        static_cast<DWORD>(home.size() + 1)) == ERROR_SUCCESS;
}

void JavaHomeValue::remove() { RegDeleteValueA(key_, kValueName); }

}  // namespace windows_test
