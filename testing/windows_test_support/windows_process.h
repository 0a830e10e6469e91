// Helpers for tests that run as Windows programs (under Wine): this
// program's directory, system message texts, the C runtime's text mode, and
// child processes with their standard output collected. Test tool only.
#ifndef TESTING_WINDOWS_TEST_SUPPORT_WINDOWS_PROCESS_H
#define TESTING_WINDOWS_TEST_SUPPORT_WINDOWS_PROCESS_H

#include <string>

#include "platform/windows_headers.h"

namespace windows_test {

// The directory of the running executable.
std::string binDirectory();

// FormatMessageA's text for `code`, or the empty text.
std::string systemText(DWORD code);

// What the C runtime writes for `text` on a stream in text mode.
std::string inTextMode(const std::string& text);

struct ProgramRun {
  DWORD exitCode = ~0u;
  std::string output;
};

// Runs `commandLine` (the file `application`, when given) in `directory`
// and collects its standard output. Standard error stays this program's, so
// Wine's traces of the child reach the caller's trace file.
ProgramRun runProgram(const std::string& commandLine, const std::string& directory,
                      const std::string& application = std::string());

}  // namespace windows_test

#endif
