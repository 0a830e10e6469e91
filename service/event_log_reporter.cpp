#include "service/event_log_reporter.h"

#include <cstdint>
#include <memory>

namespace service {
namespace {

// A code the system has no text for is shown with an empty text.
std::string systemTextFor(platform::SystemMessages& messages, platform::ErrorCode code) {
  return messages.textFor(code).value_or(std::string());
}

std::string withCode(const std::string& displayName, const std::string& text, platform::ErrorCode code,
                     const std::string& systemText) {
  return "[" + displayName + "]: " + text + ": " + signedDecimal(code) + " - " + systemText;
}

}  // namespace

std::string signedDecimal(platform::ErrorCode code) { return std::to_string(static_cast<std::int32_t>(code)); }

EventLogReporter::EventLogReporter(std::string sourceName, std::string displayName, std::string startedText,
                                   platform::EventLog& log, platform::SystemMessages& messages)
    : sourceName_(std::move(sourceName)),
      displayName_(std::move(displayName)),
      startedText_(std::move(startedText)),
      log_(log),
      messages_(messages) {}

void EventLogReporter::writeEntry(platform::EventLogEntryType type, const std::string& text) {
  std::unique_ptr<platform::EventSource> source = log_.registerSource(sourceName_);
  if (!source) return;
  // Whether the log took the entry changes nothing for the caller.
  source->report(type, text);
}

void EventLogReporter::reportSystemError(const std::string& text, platform::ErrorCode code) {
  std::string systemText = systemTextFor(messages_, code);
  if (text.size() + systemText.size() < kEntryTextLimit) {
    writeEntry(platform::EventLogEntryType::Error, withCode(displayName_, text, code, systemText));
  } else {
    // No blank after "]:" in the short form.
    writeEntry(platform::EventLogEntryType::Error, "[" + displayName_ + "]:errorcode: " + signedDecimal(code));
  }
}

void EventLogReporter::reportError(const std::string& text) {
  writeBracketed(platform::EventLogEntryType::Error, text);
}

void EventLogReporter::reportStarted() { reportInformation(startedText_); }

void EventLogReporter::reportInformation(const std::string& text) {
  writeBracketed(platform::EventLogEntryType::Information, text);
}

void EventLogReporter::writeBracketed(platform::EventLogEntryType type, const std::string& text) {
  if (text.size() >= kEntryTextLimit) return;
  writeEntry(type, "[" + displayName_ + "]: " + text);
}

void printErrorWithCode(const std::string& displayName, const std::string& text, platform::ErrorCode code,
                        platform::TextOutput& output, platform::SystemMessages& messages) {
  output.write(withCode(displayName, text, code, systemTextFor(messages, code)));
}

}  // namespace service
