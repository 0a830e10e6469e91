// POSIX backend of system message texts: the Windows English system texts,
// line end included, of every code the programs can report.
#include <map>

#include "platform/system_message.h"

namespace platform {
namespace {

const std::map<ErrorCode, const char*>& messageTable() {
  static const std::map<ErrorCode, const char*> table = {
      {kNoError, "The operation completed successfully.\r\n"},
      {kFileNotFound, "The system cannot find the file specified.\r\n"},
      {kAccessDenied, "Access is denied.\r\n"},
      {kInvalidHandle, "The handle is invalid.\r\n"},
      {kNotEnoughMemory, "Not enough memory resources are available to process this command.\r\n"},
      {kInvalidData, "The data is invalid.\r\n"},
      {kInvalidParameter, "The parameter is incorrect.\r\n"},
      {kMoreData, "More data is available.\r\n"},
      {kServiceDoesNotExist, "The specified service does not exist as an installed service.\r\n"},
      {kFailedServiceControllerConnect, "The service process could not connect to the service controller.\r\n"},
      {kServiceSpecificError, "The service has returned a service-specific error code.\r\n"},
      {kServiceMarkedForDelete, "The specified service has been marked for deletion.\r\n"},
      {kServiceExists, "The specified service already exists.\r\n"},
  };
  return table;
}

class TableSystemMessages : public SystemMessages {
 public:
  std::optional<std::string> textFor(ErrorCode code) override {
    auto found = messageTable().find(code);
    if (found == messageTable().end()) return std::nullopt;
    return std::string(found->second);
  }
};

}  // namespace

SystemMessages& systemMessages() {
  static TableSystemMessages messages;
  return messages;
}

}  // namespace platform
