// The service hosts as Windows programs under Wine's service control
// manager, driven by the project's service controller, with the stand-in VM
// library in a fake Java home. Event-log entries are read from the trace of
// Wine's eventlog channel, which wine_service_session.sh collects in the
// file named by LMG_EVENTLOG_TRACE.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
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

constexpr const char kGathrixService[] = "QuorvelLumagridCollectionServer";
constexpr const char kQvService[] = "ReportServer";
constexpr DWORD kWaitMilliseconds = 30000;

std::string fileText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// One output line of the service controller, "key=value ..." parsed.
struct ControllerReply {
  DWORD exitCode = ~0u;
  std::string line;
  std::map<std::string, std::string> fields;
  std::string operator[](const std::string& key) const {
    auto found = fields.find(key);
    return found == fields.end() ? std::string("(none)") : found->second;
  }
};

ControllerReply controller(const std::string& arguments) {
  ProgramRun run = runProgram("\"" + binDirectory() + "\\service_controller.exe\" " + arguments, "");
  ControllerReply reply;
  reply.exitCode = run.exitCode;
  reply.line = run.output.substr(0, run.output.find_first_of("\r\n"));
  std::istringstream words(reply.line);
  std::string word;
  while (words >> word) {
    std::size_t equals = word.find('=');
    if (equals != std::string::npos) reply.fields[word.substr(0, equals)] = word.substr(equals + 1);
  }
  return reply;
}

// One event-log entry as Wine traces it: the type from ReportEventW's
// arguments, the text from the string it traces.
struct TracedEntry {
  int type;
  std::string text;
  bool operator==(const TracedEntry& other) const { return type == other.type && text == other.text; }
};

std::ostream& operator<<(std::ostream& out, const TracedEntry& entry) {
  return out << "type " << entry.type << " \"" << entry.text << "\"";
}

// Undoes Wine's quoting of a traced string: L"...", with \\, \", \r, \n and
// \t escaped. A text Wine cut short ends in "..." after the quote.
std::string tracedText(const std::string& quoted) {
  std::size_t begin = quoted.find("L\"");
  std::size_t end = quoted.rfind('"');
  std::string text;
  if (begin == std::string::npos || end <= begin + 1) return quoted;
  for (std::size_t i = begin + 2; i < end; ++i) {
    if (quoted[i] == '\\' && i + 1 < end) {
      char escaped = quoted[++i];
      text += escaped == 'r' ? '\r' : escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
    } else {
      text += quoted[i];
    }
  }
  return text;
}

class EventLogTrace {
 public:
  EventLogTrace() {
    const char* path = std::getenv("LMG_EVENTLOG_TRACE");
    if (path != nullptr) path_ = path;
  }

  bool available() const { return !path_.empty(); }

  // A position in the trace; entries are read from one on.
  std::size_t mark() const { return fileText(path_).size(); }

  std::vector<TracedEntry> entriesSince(std::size_t mark) const {
    std::string text = fileText(path_);
    std::istringstream lines(mark < text.size() ? text.substr(mark) : std::string());
    std::map<std::string, int> pendingType;  // by thread
    std::vector<TracedEntry> entries;
    std::string line;
    while (std::getline(lines, line)) {
      std::string thread = line.substr(0, line.find(':'));
      std::size_t call = line.find(":ReportEventW (");
      if (call != std::string::npos && line.find(":advapi:") != std::string::npos) {
        // (handle,0xTTTT,...): the second argument is the entry type.
        std::size_t comma = line.find(',', call);
        if (comma != std::string::npos) pendingType[thread] = std::stoi(line.substr(comma + 1, 6), nullptr, 16);
      } else if (line.find(":eventlog:ReportEventW ") != std::string::npos) {
        auto type = pendingType.find(thread);
        entries.push_back(TracedEntry{type == pendingType.end() ? -1 : type->second, tracedText(line)});
      }
    }
    return entries;
  }

  // Waits until some entry since `mark` equals `entry`.
  bool waitFor(std::size_t mark, const TracedEntry& entry) const {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMilliseconds);
    while (std::chrono::steady_clock::now() < deadline) {
      for (const TracedEntry& found : entriesSince(mark)) {
        if (found == entry) return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
  }

 private:
  std::string path_;
};

class ServiceWineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(trace_.available()) << "run through wine_service_session.sh";
    removeServices();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    // A blank in the programs' path: registered unquoted, the manager would
    // take "...\lmg" as the program.
    work_ = std::string(temp) + "lmg service " + std::to_string(GetCurrentProcessId());
    javaHome_ = work_ + "\\java";
    log_ = work_ + "\\jvm.log";
    for (const std::string& directory : {work_, javaHome_, javaHome_ + "\\jre", javaHome_ + "\\jre\\bin",
                                         javaHome_ + "\\jre\\bin\\client"}) {
      CreateDirectoryA(directory.c_str(), nullptr);
    }
    for (const char* program : {"Gathrix.exe", "qv.exe"}) {
      ASSERT_TRUE(CopyFileA((binDirectory() + "\\" + program).c_str(), (work_ + "\\" + program).c_str(), FALSE));
    }
    ASSERT_TRUE(CopyFileA((binDirectory() + "\\standin_jvm\\jvm.dll").c_str(), vmLibrary().c_str(), FALSE));
    setVmMode("");

    ASSERT_TRUE(javaHomeValue_.opened());
    ASSERT_TRUE(javaHomeValue_.set(javaHome_));
  }

  void TearDown() override {
    removeServices();
    for (const std::string& file : {vmLibrary(), vmLibrary().substr(0, vmLibrary().rfind('\\')) + "\\standin_jvm.ini",
                                    log_, work_ + "\\Gathrix.exe", work_ + "\\qv.exe"}) {
      DeleteFileA(file.c_str());
    }
    for (const std::string& directory : {javaHome_ + "\\jre\\bin\\client", javaHome_ + "\\jre\\bin",
                                         javaHome_ + "\\jre", javaHome_, work_}) {
      RemoveDirectoryA(directory.c_str());
    }
  }

  static void removeServices() {
    for (const char* service : {kGathrixService, kQvService}) {
      ControllerReply removed = controller(std::string("remove ") + service);
      EXPECT_EQ(removed.exitCode, 0u) << removed.line;
    }
  }

  std::string vmLibrary() const { return javaHome_ + "\\jre\\bin\\client\\jvm.dll"; }

  // The stand-in VM of a service takes its settings from a file beside it:
  // the service does not inherit this program's environment.
  void setVmMode(const std::string& mode) {
    std::ofstream ini(javaHome_ + "\\jre\\bin\\client\\standin_jvm.ini", std::ios::trunc);
    ini << "mode=" << mode << "\nlog=" << log_ << "\n";
    DeleteFileA(log_.c_str());
  }

  std::vector<std::string> vmLog() const {
    std::vector<std::string> lines;
    std::istringstream text(fileText(log_));
    std::string line;
    while (std::getline(text, line)) lines.push_back(line);
    return lines;
  }

  bool vmLogged(const std::string& line) const {
    for (const std::string& logged : vmLog()) {
      if (logged == line) return true;
    }
    return false;
  }

  ProgramRun runHost(const std::string& program, const std::string& arguments) {
    return runProgram("\"" + work_ + "\\" + program + "\" " + arguments, work_);
  }

  // Registers `program` and starts it until it reports RUNNING; returns its
  // process, or null.
  HANDLE startService(const std::string& program, const char* service) {
    EXPECT_EQ(runHost(program, "/Install").exitCode, 0u);
    ControllerReply started = controller(std::string("start ") + service);
    EXPECT_EQ(started.line, "started");
    ControllerReply running = controller(std::string("wait ") + service + " running " +
                                         std::to_string(kWaitMilliseconds));
    EXPECT_EQ(running.exitCode, 0u) << running.line;
    EXPECT_EQ(running["accepted"], "1") << running.line;
    EXPECT_EQ(running["checkpoint"], "0") << running.line;
    EXPECT_EQ(running["waithint"], "0") << running.line;
    DWORD processId = static_cast<DWORD>(std::strtoul(running["pid"].c_str(), nullptr, 10));
    return OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
  }

  // Stops `service` and checks the reports on the way and that its process
  // ends with exit status 0.
  void stopService(const char* service, HANDLE process) {
    ControllerReply stopping = controller(std::string("control ") + service + " stop");
    EXPECT_EQ(stopping.exitCode, 0u) << stopping.line;
    // The manager reads the status once the handler has returned, by which
    // time the service may already have reported STOPPED.
    if (stopping["state"] == "STOP_PENDING") {
      EXPECT_EQ(stopping["checkpoint"], "1") << stopping.line;
      EXPECT_EQ(stopping["waithint"], "3000") << stopping.line;
    } else {
      EXPECT_EQ(stopping["state"], "STOPPED") << stopping.line;
    }
    EXPECT_EQ(stopping["accepted"], "1") << stopping.line;
    ControllerReply stopped = controller(std::string("wait ") + service + " stopped " +
                                         std::to_string(kWaitMilliseconds));
    EXPECT_EQ(stopped.exitCode, 0u) << stopped.line;
    EXPECT_EQ(stopped["exit"], "0") << stopped.line;
    EXPECT_EQ(stopped["specific"], "0") << stopped.line;
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, kWaitMilliseconds), WAIT_OBJECT_0);
    DWORD exitCode = ~0u;
    GetExitCodeProcess(process, &exitCode);
    EXPECT_EQ(exitCode, 0u);
    CloseHandle(process);
  }

  EventLogTrace trace_;
  std::string work_, javaHome_, log_;
  windows_test::JavaHomeValue javaHomeValue_;
};

TEST_F(ServiceWineTest, RegistrationRecordsTheQuotedFullPathAndEachSecondTryFails) {
  struct Case {
    const char* program;
    const char* service;
    const char* install;
    const char* uninstall;
    std::string registered, unregistered, displayName;
  } cases[] = {
      {"Gathrix.exe", kGathrixService, "/install", "/UnInstall",
       "QuorvelLumagridCollectionServer has been successfully registered.\n",
       "Quorvel Lumagrid Collection Server has been successfully unregistered.\n", "Quorvel Lumagrid Collection Server"},
      {"qv.exe", kQvService, "/Install", "/UnInstall", "Report Service has been successfully registered.\n",
       "Report Service has been successfully unregistered.\n", "Report Server"},
  };
  for (const Case& c : cases) {
    // Started by its bare name in its own directory, as from a console there.
    ProgramRun first = runProgram(std::string(c.program) + " " + c.install, work_, work_ + "\\" + c.program);
    EXPECT_EQ(first.exitCode, 0u);
    EXPECT_EQ(first.output, inTextMode(c.registered));
    ControllerReply config = controller(std::string("config ") + c.service);
    // The path comes last and holds blanks.
    std::size_t path = config.line.find(" path=");
    ASSERT_NE(path, std::string::npos) << config.line;
    EXPECT_EQ(config.line.substr(path + 6), "\"" + work_ + "\\" + c.program + "\"") << config.line;
    EXPECT_EQ(config["account"], "LocalSystem") << config.line;
    EXPECT_EQ(config["type"], "16") << config.line;
    EXPECT_EQ(config["start"], "3") << config.line;
    EXPECT_EQ(config["errorcontrol"], "1") << config.line;

    ProgramRun second = runHost(c.program, c.install);
    EXPECT_EQ(second.output, inTextMode("[" + c.displayName + "]: Unable to register service with Windows.: 1073 - " +
                                        systemText(ERROR_SERVICE_EXISTS)));
    ProgramRun third = runHost(c.program, c.uninstall);
    EXPECT_EQ(third.output, inTextMode(c.unregistered));
    ProgramRun fourth = runHost(c.program, c.uninstall);
    EXPECT_EQ(fourth.output,
              inTextMode("[" + c.displayName + "]: Unable to unregister service with Windows.: 1060 - " +
                         systemText(ERROR_SERVICE_DOES_NOT_EXIST)));
    for (const ProgramRun& run : {second, third, fourth}) EXPECT_EQ(run.exitCode, 0u);
  }
}

TEST_F(ServiceWineTest, StartRunsTheEntryMethodAndStopEndsTheProcess) {
  std::size_t mark = trace_.mark();
  HANDLE process = startService("Gathrix.exe", kGathrixService);
  const TracedEntry started{
      EVENTLOG_INFORMATION_TYPE,
      "[Quorvel Lumagrid Collection Server]: has been started successfully QuorvelLumagridCollectionServer"};
  ASSERT_TRUE(trace_.waitFor(mark, started));
  // Written once the entry method had returned, with no argument.
  EXPECT_TRUE(vmLogged("CallStaticVoidMethod com/quorvel/vantry/collector/Collector.main arguments=0"));
  EXPECT_TRUE(vmLogged("entry returns"));
  EXPECT_TRUE(vmLogged("JNI_CreateJavaVM version=0x10002 nOptions=6 ignoreUnrecognized=1"));

  ControllerReply interrogated = controller(std::string("control ") + kGathrixService + " interrogate");
  EXPECT_EQ(interrogated.line, "state=RUNNING checkpoint=0 waithint=0 accepted=1 exit=0 specific=0 pid=0");
  // Pause and continue are never declared.
  EXPECT_EQ(controller(std::string("control ") + kGathrixService + " pause").line,
            "error=" + std::to_string(ERROR_INVALID_SERVICE_CONTROL));

  stopService(kGathrixService, process);
  EXPECT_EQ(trace_.entriesSince(mark), std::vector<TracedEntry>{started});
}

TEST_F(ServiceWineTest, ReportServerCallsStartServerWithItsExeDirectoryOnTheClassPath) {
  std::size_t mark = trace_.mark();
  HANDLE process = startService("qv.exe", kQvService);
  const TracedEntry started{EVENTLOG_INFORMATION_TYPE, "[Report Server]: Report server has been started successfully"};
  ASSERT_TRUE(trace_.waitFor(mark, started));
  EXPECT_TRUE(vmLogged("option -Djava.class.path=" + work_ + "\\qv.jar;" + work_ + "\\log4j.jar"));
  EXPECT_TRUE(vmLogged("CallStaticVoidMethod com/quorvel/reportserver/protocol/rmi/QVServer.startServer arguments=0"));
  stopService(kQvService, process);
}

TEST_F(ServiceWineTest, WithoutTheJavaHomeValueTheServiceStopsWithItsFailure) {
  javaHomeValue_.remove();
  std::size_t mark = trace_.mark();
  ASSERT_EQ(runHost("Gathrix.exe", "/Install").exitCode, 0u);
  EXPECT_EQ(controller(std::string("start ") + kGathrixService).line, "started");
  ControllerReply stopped =
      controller(std::string("wait ") + kGathrixService + " stopped " + std::to_string(kWaitMilliseconds));
  EXPECT_EQ(stopped.exitCode, 0u) << stopped.line;
  EXPECT_EQ(stopped["exit"], std::to_string(ERROR_SERVICE_SPECIFIC_ERROR)) << stopped.line;
  EXPECT_EQ(stopped["specific"], "1") << stopped.line;
  EXPECT_EQ(trace_.entriesSince(mark),
            (std::vector<TracedEntry>{{EVENTLOG_ERROR_TYPE, "[Quorvel Lumagrid Collection Server]: Registry key not "
                                                            "found: 2 - " + systemText(ERROR_FILE_NOT_FOUND)}}));
}

TEST_F(ServiceWineTest, StopWhileTheEntryMethodRunsEndsTheProcessWithoutTheStartText) {
  setVmMode("entry-blocks");
  std::size_t mark = trace_.mark();
  HANDLE process = startService("Gathrix.exe", kGathrixService);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kWaitMilliseconds);
  while (!vmLogged("entry blocks") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(vmLogged("entry blocks"));
  stopService(kGathrixService, process);
  // The process is gone, so nothing more can come.
  EXPECT_EQ(trace_.entriesSince(mark), std::vector<TracedEntry>{});
}

TEST_F(ServiceWineTest, StartedFromAConsoleWritesOneErrorEntryAndPrintsNothing) {
  for (const char* program : {"Gathrix.exe", "qv.exe"}) {
    std::size_t mark = trace_.mark();
    ProgramRun run = runHost(program, "");
    EXPECT_EQ(run.exitCode, 0u) << program;
    EXPECT_EQ(run.output, "") << program;
    std::string displayName = std::string(program) == "qv.exe" ? "Report Server" : "Quorvel Lumagrid Collection Server";
    EXPECT_EQ(trace_.entriesSince(mark),
              (std::vector<TracedEntry>{{EVENTLOG_ERROR_TYPE, "[" + displayName +
                                                                  "]: StartServiceCtrlDispatcher error: 1063 - " +
                                                                  systemText(ERROR_FAILED_SERVICE_CONTROLLER_CONNECT)}}))
        << program;
  }
}

}  // namespace
