// The console launchers: scan the command line, run the bootstrap with a
// sink that prints on standard output, and give the exit code.
#ifndef CONSOLE_CONSOLE_LAUNCHER_H
#define CONSOLE_CONSOLE_LAUNCHER_H

#include <string>
#include <vector>

#include "bootstrap/java_vm.h"
#include "bootstrap/launch_profile.h"
#include "platform/system_message.h"
#include "platform/text_output.h"

namespace console {

// Whether `word` begins with `keyword`, ASCII letters compared without
// regard to case.
bool beginsWithIgnoringCase(const std::string& word, const char* keyword);

// The request of a console launch: debug and suspend flags from words that
// begin with "debug" or "suspend" in any case, argument zero included, and
// every word in order.
bootstrap::LaunchRequest scanCommandLine(const std::vector<std::string>& words);

// Prints the bootstrap's reports: a text and a line end, or
// "%s: %d - %s" and a line end with the system's text for the code.
class ConsoleSink : public bootstrap::MessageSink {
 public:
  ConsoleSink(platform::TextOutput& output, platform::SystemMessages& messages)
      : output_(output), messages_(messages) {}

  void reportError(const std::string& text) override;
  void reportSystemError(const std::string& text, platform::ErrorCode code) override;
  void reportStarted() override {}

 private:
  platform::TextOutput& output_;
  platform::SystemMessages& messages_;
};

struct ConsolePlatform {
  bootstrap::BootstrapPlatform bootstrap;
  platform::SystemMessages& messages;
};

// Runs one console launch; returns the process exit code: 1 after a
// failure, 0 when the keep-alive wait has ended.
int runConsoleLauncher(const bootstrap::LaunchProfile& profile, const std::vector<std::string>& words,
                       const ConsolePlatform& platform);

}  // namespace console

#endif
