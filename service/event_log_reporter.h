// How a service host reports: entries in the event log under its service
// name, and the console form of a failure that carries a Windows error code.
#ifndef SERVICE_EVENT_LOG_REPORTER_H
#define SERVICE_EVENT_LOG_REPORTER_H

#include <cstddef>
#include <string>

#include "bootstrap/java_vm.h"
#include "platform/error_code.h"
#include "platform/event_log.h"
#include "platform/system_message.h"
#include "platform/text_output.h"

namespace service {

// Texts this long or longer are not written as they are: a plain text is
// dropped, an error text with its system text falls back to the short form.
inline constexpr std::size_t kEntryTextLimit = 1900;

// Writes every report as one Application-log entry under the source name,
// with the display name in brackets in front. It opens and closes the
// event source for each entry and keeps no other state, so calls from
// several threads may overlap. No operation fails towards its caller.
class EventLogReporter : public bootstrap::MessageSink {
 public:
  EventLogReporter(std::string sourceName, std::string displayName, std::string startedText,
                   platform::EventLog& log, platform::SystemMessages& messages);

  // One entry of `type` holding `text` as it is; lost without a trace when
  // the source cannot be registered or the log refuses it.
  void writeEntry(platform::EventLogEntryType type, const std::string& text);

  // One error entry "[display name]: text: code - system text", or, when
  // the text and the system text together reach kEntryTextLimit, the short
  // form "[display name]:errorcode: code". The code is signed decimal.
  void reportSystemError(const std::string& text, platform::ErrorCode code) override;

  // One error entry "[display name]: text"; nothing for a text of
  // kEntryTextLimit characters or more.
  void reportError(const std::string& text) override;

  // The start text as an information entry.
  void reportStarted() override;

  // One information entry "[display name]: text"; nothing for a text of
  // kEntryTextLimit characters or more.
  void reportInformation(const std::string& text);

 private:
  void writeBracketed(platform::EventLogEntryType type, const std::string& text);

  std::string sourceName_;
  std::string displayName_;
  std::string startedText_;
  platform::EventLog& log_;
  platform::SystemMessages& messages_;
};

// Prints "[display name]: text: code - system text" on `output`. The line
// ends with the system text's own line break; nothing is added, and there is
// no length rule on the console.
void printErrorWithCode(const std::string& displayName, const std::string& text, platform::ErrorCode code,
                        platform::TextOutput& output, platform::SystemMessages& messages);

// A Windows error code as signed 32-bit decimal.
std::string signedDecimal(platform::ErrorCode code);

}  // namespace service

#endif
