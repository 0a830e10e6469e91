// Win32 backend of system message texts: FormatMessageA.
#include "platform/system_message.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

class Win32SystemMessages : public SystemMessages {
 public:
  std::optional<std::string> textFor(ErrorCode code) override {
    char* buffer = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
        code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return std::nullopt;
    std::string text(buffer, length);
    LocalFree(buffer);
    return text;
  }
};

}  // namespace

SystemMessages& systemMessages() {
  static Win32SystemMessages messages;
  return messages;
}

}  // namespace platform
