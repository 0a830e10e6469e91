#include "service/service_registration.h"

#include <gtest/gtest.h>

#include "service/service_test_machine.h"

namespace service {
namespace {

using Texts = std::vector<std::string>;

TEST(MatchesOptionTest, CollectionServerTakesPrefixesInAnyCaseReportServerOnlyExactWords) {
  struct Case {
    const char* word;
    bool gathrixInstall, gathrixUninstall, qvInstall, qvUninstall;
  } cases[] = {
      {"/Install", true, false, true, false},
      {"/UnInstall", false, true, false, true},
      {"/install", true, false, false, false},
      {"/UNINSTALL", false, true, false, false},
      {"/Installer", true, false, false, false},
      {"/uninstallnow", false, true, false, false},
      {"/Inst", false, false, false, false},
      {"Install", false, false, false, false},
      {"", false, false, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(matchesOption(gathrixProfile(), c.word, kInstallOption), c.gathrixInstall) << c.word;
    EXPECT_EQ(matchesOption(gathrixProfile(), c.word, kUninstallOption), c.gathrixUninstall) << c.word;
    EXPECT_EQ(matchesOption(qvProfile(), c.word, kInstallOption), c.qvInstall) << c.word;
    EXPECT_EQ(matchesOption(qvProfile(), c.word, kUninstallOption), c.qvUninstall) << c.word;
  }
}

class RegistrationTest : public ::testing::Test {
 public:
  RegistrationPlatform platform() { return machine.platform().registration; }
  FakeServiceMachine machine;
};

TEST_F(RegistrationTest, RegistersTheRunningExecutableQuotedAndClosesServiceThenManager) {
  machine.executable.filePath = "C:\\Program Files\\Lumagrid Server\\bin\\Gathrix.exe";
  EXPECT_TRUE(installService(gathrixProfile(), platform()));
  EXPECT_EQ(machine.log.entries(),
            (Texts{
                "scm.openManager",
                "scm.createService QuorvelLumagridCollectionServer|Quorvel Lumagrid Collection Server|"
                "\"C:\\Program Files\\Lumagrid Server\\bin\\Gathrix.exe\"",
                "scm.closeService QuorvelLumagridCollectionServer",
                "scm.closeManager",
            }));
}

TEST_F(RegistrationTest, EachRegistrationFailurePrintsOneLineAfterClosingWhatWasOpen) {
  const std::string prefix = "console [Report Server]: Unable to register service with Windows.: ";
  struct Case {
    const char* name;
    void (*script)(FakeServiceMachine&);
    Texts expected;
  } cases[] = {
      {"executable path unknown", [](FakeServiceMachine& m) { m.executable.failure = platform::kNotEnoughMemory; },
       {prefix + "8 - "}},
      {"manager not opened", [](FakeServiceMachine& m) { m.serviceControl.openManagerFailure = platform::kAccessDenied; },
       {"scm.openManager failed 5", prefix + "5 - Access is denied.\r\n"}},
      {"already registered", [](FakeServiceMachine& m) { m.serviceControl.installed.insert("ReportServer"); },
       {"scm.openManager",
        "scm.createService ReportServer|Report Server|\"C:\\Program Files\\Lumagrid\\bin\\program.exe\" failed 1073",
        "scm.closeManager", prefix + "1073 - The specified service already exists.\r\n"}},
  };
  for (const Case& c : cases) {
    FakeServiceMachine caseMachine;
    c.script(caseMachine);
    EXPECT_FALSE(installService(qvProfile(), caseMachine.platform().registration)) << c.name;
    EXPECT_EQ(caseMachine.log.entries(), c.expected) << c.name;
  }
}

TEST_F(RegistrationTest, UnregistrationReportsEveryRefusalWithItsCode) {
  const std::string prefix =
      "console [Quorvel Lumagrid Collection Server]: Unable to unregister service with Windows.: ";
  const std::string name = "QuorvelLumagridCollectionServer";
  struct Case {
    const char* name;
    void (*script)(FakeServiceMachine&);
    bool succeeds;
    Texts expected;
  } cases[] = {
      {"registered", [](FakeServiceMachine&) {}, true,
       {"scm.openManager", "scm.openService " + name, "scm.deleteService " + name, "scm.closeService " + name,
        "scm.closeManager"}},
      {"manager not opened", [](FakeServiceMachine& m) { m.serviceControl.openManagerFailure = platform::kAccessDenied; },
       false, {"scm.openManager failed 5", prefix + "5 - Access is denied.\r\n"}},
      {"not registered", [](FakeServiceMachine& m) { m.serviceControl.installed.clear(); }, false,
       {"scm.openManager", "scm.openService " + name + " failed 1060", "scm.closeManager",
        prefix + "1060 - The specified service does not exist as an installed service.\r\n"}},
      {"deletion refused",
       [](FakeServiceMachine& m) { m.serviceControl.deleteFailure = platform::kServiceMarkedForDelete; }, false,
       {"scm.openManager", "scm.openService " + name, "scm.deleteService " + name + " failed 1072",
        "scm.closeService " + name, "scm.closeManager",
        prefix + "1072 - The specified service has been marked for deletion.\r\n"}},
  };
  for (const Case& c : cases) {
    FakeServiceMachine caseMachine;
    caseMachine.serviceControl.installed.insert(name);
    c.script(caseMachine);
    EXPECT_EQ(uninstallService(gathrixProfile(), caseMachine.platform().registration), c.succeeds) << c.name;
    EXPECT_EQ(caseMachine.log.entries(), c.expected) << c.name;
  }
}

TEST(ExeDirectoryTest, TextBeforeTheLastBackslashOrTheExecutablesOwnDirectory) {
  const std::string longDirectory = "C:\\" + std::string(600, 'd');
  const std::string wordOf500 = "C:\\" + std::string(485, 'w') + "\\Gathrix.exe";
  ASSERT_EQ(wordOf500.size(), 500u);
  struct Case {
    std::string word;
    std::string expected;
  } cases[] = {
      {"C:\\Program Files\\Lumagrid\\bin\\Gathrix.exe", "C:\\Program Files\\Lumagrid\\bin"},
      {"C:\\Gathrix.exe", "C:"},
      {"..\\bin\\Gathrix.exe", "..\\bin"},
      {wordOf500, wordOf500.substr(0, 488)},
      // No backslash, forward slashes only, or a word too long: the
      // executable's own directory, whatever its length.
      {"Gathrix.exe", longDirectory},
      {"bin/Gathrix.exe", longDirectory},
      {"", longDirectory},
      {"C:\\" + std::string(486, 'w') + "\\Gathrix.exe", longDirectory},
  };
  platform::FakeRunningExecutable executable;
  executable.fileDirectory = longDirectory;
  for (const Case& c : cases) EXPECT_EQ(exeDirectoryOf(c.word, executable), c.expected) << c.word;

  executable.failure = platform::kNotEnoughMemory;
  EXPECT_EQ(exeDirectoryOf("Gathrix.exe", executable), "");
}

}  // namespace
}  // namespace service
