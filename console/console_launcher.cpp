#include "console/console_launcher.h"

#include <cstring>

namespace console {

namespace {

char foldAsciiCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool beginsWithIgnoringCase(const std::string& word, const char* keyword) {
  std::size_t length = std::strlen(keyword);
  if (word.size() < length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (foldAsciiCase(word[i]) != foldAsciiCase(keyword[i])) return false;
  }
  return true;
}

bootstrap::LaunchRequest scanCommandLine(const std::vector<std::string>& words) {
  bootstrap::LaunchRequest request;
  for (const std::string& word : words) {
    if (beginsWithIgnoringCase(word, "debug")) request.debug = true;
    if (beginsWithIgnoringCase(word, "suspend")) request.suspend = true;
  }
  request.words = words;
  return request;
}

void ConsoleSink::reportError(const std::string& text) { output_.write(text + "\n"); }

void ConsoleSink::reportSystemError(const std::string& text, platform::ErrorCode code) {
  // A code the system has no text for is shown with an empty text.
  std::string systemText = messages_.textFor(code).value_or(std::string());
  output_.write(text + ": " + std::to_string(static_cast<std::int32_t>(code)) + " - " + systemText + "\n");
}

int runConsoleLauncher(const bootstrap::LaunchProfile& profile, const std::vector<std::string>& words,
                       const ConsolePlatform& platform) {
  bootstrap::LaunchRequest request = scanCommandLine(words);
  ConsoleSink sink(platform.bootstrap.console, platform.messages);
  bootstrap::JavaVmInstance instance;
  bootstrap::BootstrapResult result = bootstrap::runBootstrap(profile, request, sink, instance, platform.bootstrap);
  return result == bootstrap::BootstrapResult::Failed ? 1 : 0;
}

}  // namespace console
