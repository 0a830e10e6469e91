// Where the running program's file lies, whatever its command line says.
#ifndef PLATFORM_EXECUTABLE_FILE_H
#define PLATFORM_EXECUTABLE_FILE_H

#include <string>

#include "platform/error_code.h"

namespace platform {

class RunningExecutable {
 public:
  virtual ~RunningExecutable() = default;

  // The full path of the running program's file in this platform's form
  // (GetModuleFileNameA on Windows), however long. On success stores it
  // and returns kNoError.
  virtual ErrorCode path(std::string* path) = 0;

  // The directory that holds the running program's file, without a
  // trailing separator.
  virtual ErrorCode directory(std::string* directory) = 0;
};

RunningExecutable& runningExecutable();

}  // namespace platform

#endif
