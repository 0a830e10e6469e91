// POSIX backend of the process environment.
#include <stdlib.h>
#include <unistd.h>

#include "platform/process_environment.h"

namespace platform {
namespace {

class PosixProcessEnvironment : public ProcessEnvironment {
 public:
  std::optional<std::string> variable(const char* name) override {
    const char* value = getenv(name);
    if (value == nullptr) return std::nullopt;
    return std::string(value);
  }

  void setVariable(const char* name, const std::string& value) override { setenv(name, value.c_str(), 1); }

  void setCurrentDirectory(const std::string& directory) override {
    if (chdir(directory.c_str()) != 0) {
      // Ignored by design: the launch goes on in the old directory.
    }
  }

  std::string nativePathText(const std::string& windowsForm) override {
    std::string native = windowsForm;
    for (char& c : native) {
      if (c == '\\') c = '/';
      else if (c == ';') c = ':';
    }
    return native;
  }
};

}  // namespace

ProcessEnvironment& systemProcessEnvironment() {
  static PosixProcessEnvironment environment;
  return environment;
}

}  // namespace platform
