// The service hosts as native programs: there is no service control manager
// to register with or to be started by.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct ProgramRun {
  int exitStatus;
  std::string output;
};

ProgramRun runProgram(const std::string& program, const std::string& arguments) {
  const char* bin = std::getenv("LMG_TEST_BIN_DIR");
  std::string command = "'" + std::string(bin == nullptr ? "." : bin) + "/" + program + "' " + arguments;
  ProgramRun run{-1, ""};
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
  int status = pclose(pipe);
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

TEST(ServiceProgramTest, WithoutArgumentsNothingIsPrintedAndTheStatusIsZero) {
  for (const char* program : {"Gathrix", "qv"}) {
    ProgramRun run = runProgram(program, "");
    EXPECT_EQ(run.exitStatus, 0) << program;
    EXPECT_EQ(run.output, "") << program;
  }
}

TEST(ServiceProgramTest, CommandLinesPrintTheirLines) {
  const std::string options =
      "where possible options include:\n"
      "\t/Install\t\t Register service with Windows\n"
      "\t/UnInstall\t\t UnRegister service with Windows\n";
  struct Case {
    const char* program;
    const char* arguments;
    std::string expected;
  } cases[] = {
      {"Gathrix", "a b c", "Usage: Gathrix.exe <options>\n" + options},
      {"qv", "/install", "Usage: qv.exe <options>\n" + options},
      {"Gathrix", "/INSTALL",
       "[Quorvel Lumagrid Collection Server]: Unable to register service with Windows.: 1063 - The service process "
       "could not connect to the service controller.\r\n"},
      {"qv", "/UnInstall",
       "[Report Server]: Unable to unregister service with Windows.: 1063 - The service process could not connect to "
       "the service controller.\r\n"},
  };
  for (const Case& c : cases) {
    ProgramRun run = runProgram(c.program, c.arguments);
    EXPECT_EQ(run.exitStatus, 0) << c.program << " " << c.arguments;
    EXPECT_EQ(run.output, c.expected) << c.program << " " << c.arguments;
  }
}

}  // namespace
