// System message texts for Windows error codes.
#ifndef PLATFORM_SYSTEM_MESSAGE_H
#define PLATFORM_SYSTEM_MESSAGE_H

#include <optional>
#include <string>

#include "platform/error_code.h"

namespace platform {

class SystemMessages {
 public:
  virtual ~SystemMessages() = default;
  // The system's text for `code` exactly as the system gives it, its own
  // line end included; nullopt when the system has no text for the code.
  virtual std::optional<std::string> textFor(ErrorCode code) = 0;
};

// On Windows FormatMessageA from the system table; on POSIX a table of the
// Windows English texts of every code the launchers can report.
SystemMessages& systemMessages();

}  // namespace platform

#endif
