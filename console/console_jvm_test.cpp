// The console launchers as users run them: real processes, a real Java VM
// (the build machine's JDK), the machine environment file standing in for
// the registry, and the sample application as the Java side.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string requiredVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// A launcher process with its standard output on a pipe.
class Launcher {
 public:
  Launcher(const std::string& program, const std::vector<std::string>& words, const fs::path& directory,
           const std::vector<std::string>& environment) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(pipeEnds[1], 1);
      close(pipeEnds[0]);
      close(pipeEnds[1]);
      if (chdir(directory.c_str()) != 0) _exit(126);
      for (const std::string& entry : environment) putenv(const_cast<char*>(entry.c_str()));
      std::vector<char*> argv;
      for (const std::string& word : words) argv.push_back(const_cast<char*>(word.c_str()));
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(pipeEnds[1]);
    output_ = pipeEnds[0];
  }

  ~Launcher() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) close(output_);
  }

  // Reads output until `text` has appeared or `seconds` have passed.
  bool waitForOutput(const std::string& text, int seconds) {
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (text_.find(text) == std::string::npos) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0 || !readSome(static_cast<int>(left))) return text_.find(text) != std::string::npos;
    }
    return true;
  }

  // Reads output for `milliseconds`, however much comes.
  void readFor(int milliseconds) {
    auto deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0 || !readSome(static_cast<int>(left))) return;
    }
  }

  // Waits for the process to end and returns its exit code, or -1 when it
  // does not end within `seconds`.
  int exitCode(int seconds = 60) {
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      readSome(100);
      int status = 0;
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        while (readSome(0)) {
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
    }
    return -1;
  }

  const std::string& output() const { return text_; }

 private:
  // False at the end of the output or when nothing came in time.
  bool readSome(int milliseconds) {
    pollfd ready{output_, POLLIN, 0};
    if (poll(&ready, 1, milliseconds) <= 0) return false;
    char buffer[4096];
    ssize_t got = read(output_, buffer, sizeof buffer);
    if (got <= 0) return false;
    text_.append(buffer, static_cast<std::size_t>(got));
    return true;
  }

  pid_t pid_ = -1;
  int output_ = -1;
  bool exited_ = false;
  std::string text_;
};

class ConsoleJvmTest : public ::testing::Test {
 protected:
  void SetUp() override {
    binDir_ = requiredVariable("LMG_TEST_BIN_DIR");
    javaDir_ = requiredVariable("LMG_TEST_JAVA_DIR");
    javaHome_ = requiredVariable("LMG_TEST_JAVA_HOME");
    ASSERT_FALSE(binDir_.empty() || javaDir_.empty() || javaHome_.empty());
    work_ = fs::temp_directory_path() / ("lmg_console_jvm_" + std::to_string(getpid()));
    fs::create_directories(work_ / "bin");
    environmentFile_ = work_ / "environment";
    std::ofstream(environmentFile_) << "LMG_JAVA_HOME=" << javaHome_ << "\n";
  }
  void TearDown() override { fs::remove_all(work_); }

  // The launcher's directory holds `jar` as `name`, as an installation does.
  void installJar(const std::string& jar, const std::string& name) {
    fs::copy_file(fs::path(javaDir_) / jar, work_ / "bin" / name, fs::copy_options::overwrite_existing);
  }

  std::unique_ptr<Launcher> start(const std::string& program, std::vector<std::string> arguments,
                                  const std::string& action = "exit") {
    arguments.insert(arguments.begin(), program);
    return std::make_unique<Launcher>(
        binDir_ + "/" + program, arguments, work_ / "bin",
        std::vector<std::string>{"LMG_MACHINE_ENVIRONMENT_FILE=" + environmentFile_.string(),
                                 "LMG_SAMPLE_ACTION=" + action});
  }

  std::string binDir_, javaDir_, javaHome_;
  fs::path work_, environmentFile_;
};

TEST_F(ConsoleJvmTest, EachLauncherStartsItsEntryMethodWithTheWordsAfterArgumentZero) {
  struct Case {
    const char* program;
    const char* jar;
    const char* entry;
  } cases[] = {
      {"collector", "collector.jar", "com.quorvel.vantry.collector.Collector.main"},
      {"zendriagent", "zendriagent.jar", "com.quorvel.vantry.collectionagent.zendriagent.ZendriAgent.main"},
      {"collectorcmd", "collectorcmd.jar", "com.quorvel.vantry.collectorcmd.CollectorCmd.main"},
  };
  for (const Case& c : cases) {
    installJar("sample_app.jar", c.jar);
    auto launcher = start(c.program, {"run", "two words", "\xC3\xA9t\xC3\xA9"});
    EXPECT_EQ(launcher->exitCode(), 0) << c.program;
    EXPECT_EQ(launcher->output().substr(0, launcher->output().find("vm option")),
              std::string("entry: ") + c.entry +
                  "\nargument count: 3\nargument 0: run\nargument 1: two words\nargument 2: \xC3\xA9t\xC3\xA9\n")
        << c.program;
  }
}

TEST_F(ConsoleJvmTest, ProfilePathsReachTheVmInNativeFormAndPathIsPrefixed) {
  installJar("sample_app.jar", "collectorcmd.jar");
  auto launcher = start("collectorcmd", {});
  ASSERT_EQ(launcher->exitCode(), 0);
  const std::string& out = launcher->output();
  EXPECT_NE(out.find("java.class.path: ./collectorcmd.jar\n"), std::string::npos) << out;
  EXPECT_NE(out.find("vm option: -Djava.library.path=.:../../Common:../../Orvex\n"), std::string::npos) << out;
  EXPECT_NE(out.find("PATH: ../../Orvex:"), std::string::npos) << out;
  EXPECT_EQ(out.find("-DKVL_DIRECTORY"), std::string::npos) << out;
}

TEST_F(ConsoleJvmTest, XWordsReachTheVm) {
  installJar("sample_app.jar", "collector.jar");
  auto launcher = start("collector", {"-Xmx64m", "-xms8m"});
  ASSERT_EQ(launcher->exitCode(), 0);
  const std::string& out = launcher->output();
  EXPECT_NE(out.find("vm option: -Xmx64m\n"), std::string::npos) << out;
  EXPECT_EQ(out.find("vm option: -xms8m"), std::string::npos) << out;
  std::size_t heap = out.find("max heap bytes: ");
  ASSERT_NE(heap, std::string::npos);
  EXPECT_LE(std::stoll(out.substr(heap + 16)), 64LL * 1024 * 1024);
}

TEST_F(ConsoleJvmTest, XWordsBeyondTheListAreLeftOutWithALineEach) {
  installJar("sample_app.jar", "collector.jar");
  std::vector<std::string> words;
  // Unknown -X options are ignored by the VM, as ignoreUnrecognized asks.
  for (int i = 1; i <= 26; ++i) words.push_back("-Xlmg" + std::to_string(i));
  auto launcher = start("collector", words);
  ASSERT_EQ(launcher->exitCode(), 0);
  const std::string& out = launcher->output();
  EXPECT_EQ(out.substr(0, out.find("entry: ")),
            "Maximum number of command line arguments has been exceeded. Cannot include -Xlmg25\n"
            "Maximum number of command line arguments has been exceeded. Cannot include -Xlmg26\n");
  EXPECT_NE(out.find("argument count: 26\n"), std::string::npos);
  EXPECT_NE(out.find("vm option: -Xlmg24\n"), std::string::npos);
}

TEST_F(ConsoleJvmTest, FailuresPrintTheirOneLineAndExitWithOne) {
  struct Case {
    const char* name;
    const char* program;
    const char* jar;  // installed as the launcher's own archive, or none
    std::string environment;
    std::string expected;
  } cases[] = {
      {"no java home", "collector", nullptr, "OTHER=1\n",
       "Registry key not found: 2 - The system cannot find the file specified.\r\n\n"},
      {"java home too long", "collector", nullptr, "LMG_JAVA_HOME=" + std::string(1000, 'j') + "\n",
       "Registry key not found: 234 - More data is available.\r\n\n"},
      {"no vm library", "collector", nullptr, "LMG_JAVA_HOME=/nonexistent/java\n", "Unable to load the JVM\n"},
      {"missing class", "collectorcmd", nullptr, "", "Unable to load the com/quorvel/vantry/collectorcmd/CollectorCmd class\n\n"},
      {"missing method", "collectorcmd", "sample_app_broken.jar", "", "Unable to locate the [main] method\n"},
  };
  for (const Case& c : cases) {
    fs::remove(work_ / "bin" / "collectorcmd.jar");
    if (c.jar != nullptr) installJar(c.jar, "collectorcmd.jar");
    std::ofstream(environmentFile_) << (c.environment.empty() ? "LMG_JAVA_HOME=" + javaHome_ + "\n" : c.environment);
    auto launcher = start(c.program, {"word"});
    EXPECT_EQ(launcher->exitCode(), 1) << c.name;
    EXPECT_EQ(launcher->output(), c.expected) << c.name;
  }
}

TEST_F(ConsoleJvmTest, MissingMachineEnvironmentIsAKeyThatCannotBeOpened) {
  fs::remove(environmentFile_);
  auto launcher = start("collector", {});
  EXPECT_EQ(launcher->exitCode(), 1);
  EXPECT_EQ(launcher->output(),
            "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment Registry key not found: 2 - "
            "The system cannot find the file specified.\r\n\n");
}

TEST_F(ConsoleJvmTest, AfterTheEntryMethodReturnsTheProcessStaysAlive) {
  installJar("sample_app.jar", "collector.jar");
  auto launcher = start("collector", {}, "return");
  ASSERT_TRUE(launcher->waitForOutput("entry returns\n", 60)) << launcher->output();
  EXPECT_EQ(launcher->exitCode(2), -1);  // still blocked on its keep-alive event
}

// A debugger connection: the JDWP handshake, then commands.
class Debugger {
 public:
  bool connectWithin(int seconds) {
    auto deadline = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < deadline) {
      socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
      sockaddr_in address{};
      address.sin_family = AF_INET;
      address.sin_port = htons(3223);
      address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
      if (::connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return true;
      ::close(socket_);
      socket_ = -1;
      poll(nullptr, 0, 100);
    }
    return false;
  }

  std::string handshake() {
    const char greeting[] = "JDWP-Handshake";
    if (send(socket_, greeting, 14, 0) != 14) return "";
    char reply[14];
    std::size_t got = 0;
    while (got < sizeof reply) {
      ssize_t n = recv(socket_, reply + got, sizeof reply - got, 0);
      if (n <= 0) break;
      got += static_cast<std::size_t>(n);
    }
    return std::string(reply, got);
  }

  // VirtualMachine.Resume: command set 1, command 9.
  bool resumeVm() {
    const unsigned char packet[11] = {0, 0, 0, 11, 0, 0, 0, 1, 0, 1, 9};
    return send(socket_, packet, sizeof packet, 0) == static_cast<ssize_t>(sizeof packet);
  }

  ~Debugger() {
    if (socket_ >= 0) ::close(socket_);
  }

 private:
  int socket_ = -1;
};

TEST_F(ConsoleJvmTest, DebugWordOpensTheDebuggerPort) {
  installJar("sample_app.jar", "collector.jar");
  auto launcher = start("collector", {"DEBUG"}, "block");
  ASSERT_TRUE(launcher->waitForOutput("argument 0: DEBUG\n", 60)) << launcher->output();
  Debugger debugger;
  ASSERT_TRUE(debugger.connectWithin(30));
  EXPECT_EQ(debugger.handshake(), "JDWP-Handshake");
  EXPECT_NE(launcher->output().find("vm option: -Xrunjdwp:transport=dt_socket,address=3223,server=y,suspend=n"),
            std::string::npos);
}

TEST_F(ConsoleJvmTest, SuspendWordHoldsTheEntryMethodUntilADebuggerResumes) {
  installJar("sample_app.jar", "collector.jar");
  auto launcher = start("collector", {"debug", "SUSPEND"});
  Debugger debugger;
  ASSERT_TRUE(debugger.connectWithin(30));
  ASSERT_EQ(debugger.handshake(), "JDWP-Handshake");
  launcher->readFor(1500);
  EXPECT_EQ(launcher->output().find("entry: "), std::string::npos) << launcher->output();
  ASSERT_TRUE(debugger.resumeVm());
  EXPECT_TRUE(launcher->waitForOutput("argument 1: SUSPEND\n", 60)) << launcher->output();
  EXPECT_NE(launcher->output().find("suspend=y"), std::string::npos);
}

}  // namespace
