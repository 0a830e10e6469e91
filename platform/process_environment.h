// The process's environment variables and working directory.
#ifndef PLATFORM_PROCESS_ENVIRONMENT_H
#define PLATFORM_PROCESS_ENVIRONMENT_H

#include <optional>
#include <string>

namespace platform {

class ProcessEnvironment {
 public:
  virtual ~ProcessEnvironment() = default;

  // The variable's value, or nullopt when it is not set.
  virtual std::optional<std::string> variable(const char* name) = 0;

  // Sets the variable for the process and for every library search made
  // from then on. Failures are not reported.
  virtual void setVariable(const char* name, const std::string& value) = 0;

  // Makes `directory` the working directory. Failures are not reported.
  virtual void setCurrentDirectory(const std::string& directory) = 0;

  // Renders a path or path list written in the launch profiles' Windows form
  // in this platform's form: unchanged on Windows; on POSIX `\` becomes `/`
  // and the list separator `;` becomes `:`.
  virtual std::string nativePathText(const std::string& windowsForm) = 0;
};

ProcessEnvironment& systemProcessEnvironment();

}  // namespace platform

#endif
