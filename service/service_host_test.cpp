#include "service/service_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "service/service_test_machine.h"

namespace service {
namespace {

using Texts = std::vector<std::string>;

const std::string kGathrixUsage =
    "Usage: Gathrix.exe <options>\n"
    "where possible options include:\n"
    "\t/Install\t\t Register service with Windows\n"
    "\t/UnInstall\t\t UnRegister service with Windows\n";

TEST(ServiceHostTest, UsageForEveryCommandLineThatIsNeitherOptionNorEmpty) {
  const std::string qvUsage = "Usage: qv.exe <options>\n" + kGathrixUsage.substr(kGathrixUsage.find('\n') + 1);
  struct Case {
    const ServiceProfile& profile;
    Texts words;
    std::string expected;
  } cases[] = {
      // No argument: no usage; the dispatcher gets the process (and, not
      // started as a service here, fails without a console line).
      {gathrixProfile(), {"Gathrix.exe"}, ""},
      {gathrixProfile(), {"Gathrix.exe", "/Inst"}, kGathrixUsage},
      {gathrixProfile(), {"Gathrix.exe", "/Install", "/UnInstall"}, kGathrixUsage},
      {gathrixProfile(), {"Gathrix.exe", "/Install", "two", "three"}, kGathrixUsage},
      {qvProfile(), {"qv.exe", "/install"}, qvUsage},
      {qvProfile(), {"qv.exe", "/UnInstallNow"}, qvUsage},
      {qvProfile(), {"qv.exe", "/UnInstall", "/Install"}, qvUsage},
  };
  for (const Case& c : cases) {
    FakeServiceMachine machine;
    machine.dispatcher.runFailure = platform::kFailedServiceControllerConnect;
    EXPECT_EQ(runServiceHost(c.profile, c.words, machine.platform()), 0) << c.words.size();
    EXPECT_EQ(machine.console.text(), c.expected) << c.words.back();
    // Usage touches neither the service control manager nor the dispatcher.
    EXPECT_EQ(machine.entriesOf({"scm."}), Texts{}) << c.words.back();
    EXPECT_EQ(machine.log.contains("dispatcher.run " + c.profile.serviceName + " failed 1063"), c.words.size() == 1)
        << c.words.back();
  }
}

TEST(ServiceHostTest, InstallAndUninstallTwicePrintTheirLinesOrTheFailureLine) {
  struct Case {
    const ServiceProfile& profile;
    const char* install;
    const char* uninstall;
    std::string expected;
  } cases[] = {
      {gathrixProfile(), "/install", "/UNINSTALL",
       "QuorvelLumagridCollectionServer has been successfully registered.\n"
       "[Quorvel Lumagrid Collection Server]: Unable to register service with Windows.: 1073 - The specified service "
       "already exists.\r\n"
       "Quorvel Lumagrid Collection Server has been successfully unregistered.\n"
       "[Quorvel Lumagrid Collection Server]: Unable to unregister service with Windows.: 1060 - The specified "
       "service does not exist as an installed service.\r\n"},
      {qvProfile(), "/Install", "/UnInstall",
       "Report Service has been successfully registered.\n"
       "[Report Server]: Unable to register service with Windows.: 1073 - The specified service already exists.\r\n"
       "Report Service has been successfully unregistered.\n"
       "[Report Server]: Unable to unregister service with Windows.: 1060 - The specified service does not exist as "
       "an installed service.\r\n"},
  };
  for (const Case& c : cases) {
    FakeServiceMachine machine;
    for (const char* option : {c.install, c.install, c.uninstall, c.uninstall}) {
      EXPECT_EQ(runServiceHost(c.profile, {"relative.exe", option}, machine.platform()), 0);
    }
    EXPECT_EQ(machine.console.text(), c.expected) << c.profile.serviceName;
    EXPECT_TRUE(machine.log.contains("scm.createService " + c.profile.serviceName + "|" + c.profile.displayName +
                                     "|\"C:\\Program Files\\Lumagrid\\bin\\program.exe\""));
    EXPECT_TRUE(machine.eventLog.entries().empty());
  }
}

TEST(ServiceHostTest, DispatcherFailureIsOneErrorEntryAndNothingOnTheConsole) {
  FakeServiceMachine machine;
  machine.dispatcher.runFailure = platform::kFailedServiceControllerConnect;
  EXPECT_EQ(runServiceHost(gathrixProfile(), {"Gathrix.exe"}, machine.platform()), 0);
  EXPECT_EQ(machine.console.text(), "");
  ASSERT_EQ(machine.eventLog.entries().size(), 1u);
  EXPECT_EQ(machine.eventLog.entries()[0].type, platform::EventLogEntryType::Error);
  EXPECT_EQ(machine.eventLog.entries()[0].text,
            "[Quorvel Lumagrid Collection Server]: StartServiceCtrlDispatcher error: 1063 - The service process could "
            "not connect to the service controller.\r\n");
}

TEST(ServiceHostTest, WorkerRunsInTheExeDirectoryOfTheFirstWord) {
  FakeServiceMachine machine;
  machine.installJava();
  auto run = std::async(std::launch::async, [&] {
    return runServiceHost(qvProfile(), {"C:\\Report Server\\bin\\qv.exe"}, machine.platform());
  });
  ASSERT_TRUE(machine.log.waitFor("event2.wait"));
  machine.dispatcher.deliver(platform::kServiceControlStop);
  ASSERT_EQ(run.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_EQ(run.get(), 0);
  machine.threads.joinAll();
  EXPECT_TRUE(machine.log.contains("environment.chdir C:\\Report Server\\bin"));
  EXPECT_EQ(machine.entriesOf({"jvm option", "jvm CallStaticVoidMethod"}),
            (Texts{"jvm option -Djava.compiler=NONE",
                   "jvm option -Djava.class.path=C:\\Report Server\\bin\\qv.jar;C:\\Report Server\\bin\\log4j.jar",
                   "jvm option -Xrs",
                   "jvm CallStaticVoidMethod com/quorvel/reportserver/protocol/rmi/QVServer.startServer arguments=0"}));
  EXPECT_EQ(machine.entriesOf({"eventlog.report"}),
            Texts{"eventlog.report ReportServer 4 [Report Server]: Report server has been started successfully"});
}

}  // namespace
}  // namespace service
