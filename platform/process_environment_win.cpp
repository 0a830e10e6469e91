// Win32 backend of the process environment.
#include <cstdlib>

#include "platform/process_environment.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

class Win32ProcessEnvironment : public ProcessEnvironment {
 public:
  std::optional<std::string> variable(const char* name) override {
    const char* value = std::getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  }

  void setVariable(const char* name, const std::string& value) override {
    // The C runtime's _putenv updates its own table and the process
    // environment block, which LoadLibrary searches consult.
    std::string entry = std::string(name) + "=" + value;
    _putenv(entry.c_str());
  }

  void setCurrentDirectory(const std::string& directory) override { SetCurrentDirectoryA(directory.c_str()); }

  std::string nativePathText(const std::string& windowsForm) override { return windowsForm; }
};

}  // namespace

ProcessEnvironment& systemProcessEnvironment() {
  static Win32ProcessEnvironment environment;
  return environment;
}

}  // namespace platform
