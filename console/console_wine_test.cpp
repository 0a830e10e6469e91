// The console launchers as Windows programs: real processes under the
// system's registry, loader and message table, with the stand-in VM
// library installed in a fake Java home.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/windows_headers.h"
#include "testing/windows_test_support/java_home_value.h"
#include "testing/windows_test_support/windows_process.h"

namespace {

using windows_test::binDirectory;
using windows_test::inTextMode;
using windows_test::ProgramRun;
using windows_test::runProgram;
using windows_test::systemText;


std::vector<std::string> linesOf(const std::string& path) {
  std::vector<std::string> lines;
  std::ifstream in(path);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

class ConsoleWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    work_ = std::string(temp) + "lmg_console_" + std::to_string(GetCurrentProcessId());
    javaHome_ = work_ + "\\java";
    CreateDirectoryA(work_.c_str(), nullptr);
    for (const char* part : {"\\java", "\\java\\jre", "\\java\\jre\\bin", "\\java\\jre\\bin\\client"}) {
      CreateDirectoryA((work_ + part).c_str(), nullptr);
    }
    ASSERT_TRUE(CopyFileA((binDirectory() + "\\standin_jvm\\jvm.dll").c_str(),
                          (javaHome_ + "\\jre\\bin\\client\\jvm.dll").c_str(), FALSE));
    log_ = work_ + "\\jvm.log";
    SetEnvironmentVariableA("LMG_STANDIN_JVM_LOG", log_.c_str());

    ASSERT_TRUE(javaHomeValue_.opened());
  }

  void TearDown() override {
    SetEnvironmentVariableA("LMG_STANDIN_JVM_MODE", nullptr);
    SetEnvironmentVariableA("LMG_STANDIN_JVM_LOG", nullptr);
    DeleteFileA((javaHome_ + "\\jre\\bin\\client\\jvm.dll").c_str());
    DeleteFileA(log_.c_str());
    for (const char* part : {"\\java\\jre\\bin\\client", "\\java\\jre\\bin", "\\java\\jre", "\\java", ""}) {
      RemoveDirectoryA((work_ + part).c_str());
    }
  }

  void setJavaHome(const std::string& home) { ASSERT_TRUE(javaHomeValue_.set(home)); }

  ProgramRun launch(const std::string& program, const std::string& arguments, const char* mode = "entry-exits") {
    SetEnvironmentVariableA("LMG_STANDIN_JVM_MODE", mode);
    DeleteFileA(log_.c_str());
    return runProgram("\"" + binDirectory() + "\\" + program + "\" " + arguments, work_);
  }

  std::vector<std::string> logged(const char* prefix) {
    std::vector<std::string> found;
    for (const std::string& line : linesOf(log_)) {
      if (line.rfind(prefix, 0) == 0) found.push_back(line);
    }
    return found;
  }

  windows_test::JavaHomeValue javaHomeValue_;
  std::string work_, javaHome_, log_;
};

TEST_F(ConsoleWineTest, MissingJavaHomeValueGivesTheSystemTextOfItsCode) {
  javaHomeValue_.remove();
  ProgramRun run = launch("collector.exe", "");
  EXPECT_EQ(run.exitCode, 1u);
  EXPECT_EQ(run.output, inTextMode("Registry key not found: 2 - " + systemText(ERROR_FILE_NOT_FOUND) + "\n"));
}

TEST_F(ConsoleWineTest, VmFromTheClientDirectoryReceivesTheProfileAndTheWords) {
  setJavaHome(javaHome_);
  ProgramRun run = launch("collector.exe", "debug \"two words\" -Xmx256m");
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(run.output, "");
  std::vector<std::string> expected = {
      "option -Djava.class.path=.\\collector.jar;..\\..\\Common\\QDX\\qdxclient.jar;"
      "..\\..\\Common\\KVL\\KVLClient.jar;..\\..\\Common\\KVL\\KVLUtilities.jar;..\\..\\Common\\KVL\\Kovalite.jar;"
      "..\\classes\\axis.jar;..\\classes\\commons-discovery-0.2.jar;..\\classes\\commons-logging-1.0.4.jar;"
      "..\\classes\\jaxrpc.jar;..\\classes\\log4j-1.2.8.jar;..\\classes\\saaj.jar;..\\classes\\wsdl4j-1.5.1.jar;"
      "..\\classes\\servlet.jar",
      "option -Djava.compiler=NONE",
      "option -Djava.library.path=.;..\\..\\Common;..\\..\\Orvex",
      "option -Xrs",
      "option -Dsun.java2d.noddraw=true",
      "option -DKVL_DIRECTORY=..\\KVL",
      "option -Xdebug",
      "option -Xrunjdwp:transport=dt_socket,address=3223,server=y,suspend=n",
      "option -Xmx256m",
  };
  EXPECT_EQ(logged("option "), expected);
  EXPECT_EQ(logged("JNI_CreateJavaVM"),
            std::vector<std::string>{"JNI_CreateJavaVM version=0x10002 nOptions=9 ignoreUnrecognized=1"});
  EXPECT_EQ(logged("argument "),
            (std::vector<std::string>{"argument 0 debug", "argument 1 two words", "argument 2 -Xmx256m"}));
}

TEST_F(ConsoleWineTest, FailuresPrintTheirOneLine) {
  struct Case {
    const char* program;
    const char* mode;
    bool javaHomeHasVm;
    std::string expected;
    bool vmDestroyed;
  } cases[] = {
      {"collector.exe", "", false, "Unable to load the JVM\n", false},
      {"zendriagent.exe", "fail-create", true, "Unable to start the JVM\n", false},
      {"collectorcmd.exe", "no-class", true, "Unable to load the com/quorvel/vantry/collectorcmd/CollectorCmd class\n\n",
       true},
      {"collector.exe", "no-method", true, "Unable to locate the [main] method\n", true},
  };
  for (const Case& c : cases) {
    setJavaHome(c.javaHomeHasVm ? javaHome_ : work_ + "\\nothing");
    ProgramRun run = launch(c.program, "x", c.mode);
    EXPECT_EQ(run.exitCode, 1u) << c.program << " " << c.mode;
    EXPECT_EQ(run.output, inTextMode(c.expected)) << c.program << " " << c.mode;
    EXPECT_EQ(logged("DestroyJavaVM").size(), c.vmDestroyed ? 1u : 0u) << c.program << " " << c.mode;
  }
}

}  // namespace
