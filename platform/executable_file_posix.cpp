// POSIX backend of the running executable's location: /proc/self/exe.
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/executable_file.h"

namespace platform {
namespace {

class ProcRunningExecutable : public RunningExecutable {
 public:
  ErrorCode path(std::string* path) override {
    std::vector<char> buffer(256);
    for (;;) {
      ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
      if (length < 0) return errno == ENOMEM ? kNotEnoughMemory : kFileNotFound;
      // readlink does not say whether it cut the name short; a name that
      // fills the buffer may have been.
      if (static_cast<std::size_t>(length) < buffer.size()) {
        path->assign(buffer.data(), static_cast<std::size_t>(length));
        return kNoError;
      }
      buffer.resize(buffer.size() * 2);
    }
  }

  ErrorCode directory(std::string* directory) override {
    std::string file;
    ErrorCode code = path(&file);
    if (code != kNoError) return code;
    std::size_t slash = file.find_last_of('/');
    directory->assign(slash == 0 ? std::string("/") : file.substr(0, slash == std::string::npos ? 0 : slash));
    return kNoError;
  }
};

}  // namespace

RunningExecutable& runningExecutable() {
  static ProcRunningExecutable executable;
  return executable;
}

}  // namespace platform
