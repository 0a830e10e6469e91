// Win32 backend of the running executable's location: GetModuleFileNameA.
#include <vector>

#include "platform/executable_file.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

// The longest path the system can hand out, in characters.
constexpr std::size_t kLongestPath = 32768;

class Win32RunningExecutable : public RunningExecutable {
 public:
  ErrorCode path(std::string* path) override {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
      DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
      if (length == 0) return GetLastError();
      // A name that fills the whole buffer was cut short.
      if (length < buffer.size()) {
        path->assign(buffer.data(), length);
        return kNoError;
      }
      if (buffer.size() > kLongestPath) return ERROR_INSUFFICIENT_BUFFER;
      buffer.resize(buffer.size() * 2);
    }
  }

  ErrorCode directory(std::string* directory) override {
    std::string file;
    ErrorCode code = path(&file);
    if (code != kNoError) return code;
    std::size_t backslash = file.find_last_of('\\');
    directory->assign(backslash == std::string::npos ? std::string() : file.substr(0, backslash));
    return kNoError;
  }
};

}  // namespace

RunningExecutable& runningExecutable() {
  static Win32RunningExecutable executable;
  return executable;
}

}  // namespace platform
