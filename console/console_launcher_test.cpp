#include "console/console_launcher.h"

#include <gtest/gtest.h>

#include "bootstrap/vm_options.h"
#include "console/console_profiles.h"
#include "platform/fake_platform.h"
#include "testing/fake_jvm/fake_jvm.h"

namespace console {
namespace {

using Texts = std::vector<std::string>;

TEST(ScanCommandLineTest, DebugAndSuspendWordsInAnyCaseAndPlace) {
  struct Case {
    Texts words;
    bool debug, suspend;
  } cases[] = {
      {{"collector"}, false, false},
      {{"collector", "DEBUG"}, true, false},
      {{"collector", "debugger", "Suspended"}, true, true},
      {{"collector", "suspend"}, false, true},
      {{"collector", "deb", "susp"}, false, false},
      {{"debugcollector"}, true, false},  // argument zero counts too
      {{"collector", "run", "SuSpEnD", "x", "dEbUg"}, true, true},
      {{"collector", "-debug", "\xC4""ebug"}, false, false},
  };
  for (const Case& c : cases) {
    bootstrap::LaunchRequest request = scanCommandLine(c.words);
    EXPECT_EQ(request.debug, c.debug) << c.words.back();
    EXPECT_EQ(request.suspend, c.suspend) << c.words.back();
    EXPECT_EQ(request.words, c.words);
    EXPECT_EQ(request.exeDirectory, "");
  }
}

TEST(ConsoleSinkTest, PrintsTheFormsOfTheConsole) {
  platform::RecordingOutput output;
  platform::FakeSystemMessages messages;
  messages.texts[2] = "The system cannot find the file specified.\r\n";
  messages.texts[0x80070005u] = "Denied.\r\n";
  ConsoleSink sink(output, messages);
  sink.reportError("Unable to load the JVM");
  sink.reportSystemError("Registry key not found", 2);
  sink.reportSystemError("Registry key not found", 0x80070005u);
  sink.reportSystemError("Registry key not found", 4242);  // no system text
  sink.reportStarted();
  EXPECT_EQ(output.text(),
            "Unable to load the JVM\n"
            "Registry key not found: 2 - The system cannot find the file specified.\r\n\n"
            "Registry key not found: -2147024891 - Denied.\r\n\n"
            "Registry key not found: 4242 - \n");
}

// The option list of every console profile, byte for byte.
TEST(ConsoleProfilesTest, OptionListsOfEveryProfile) {
  const std::string sharedTail =
      "..\\..\\Common\\KVL\\KVLUtilities.jar;..\\..\\Common\\KVL\\Kovalite.jar;..\\classes\\axis.jar;"
      "..\\classes\\commons-discovery-0.2.jar;..\\classes\\commons-logging-1.0.4.jar;..\\classes\\jaxrpc.jar;"
      "..\\classes\\log4j-1.2.8.jar;..\\classes\\saaj.jar;..\\classes\\wsdl4j-1.5.1.jar;..\\classes\\servlet.jar";
  const std::string consoleMiddle = "..\\..\\Common\\QDX\\qdxclient.jar;..\\..\\Common\\KVL\\KVLClient.jar;";
  const Texts fixedTail = {"-Djava.compiler=NONE", "-Djava.library.path=.;..\\..\\Common;..\\..\\Orvex", "-Xrs",
                           "-Dsun.java2d.noddraw=true"};
  struct Case {
    const bootstrap::LaunchProfile* profile;
    Texts expected;
  } cases[] = {
      {&collectorProfile(), {"-Djava.class.path=.\\collector.jar;" + consoleMiddle + sharedTail}},
      {&zendriAgentProfile(), {"-Djava.class.path=.\\zendriagent.jar;" + consoleMiddle + sharedTail}},
      {&collectorCmdProfile(), {"-Djava.class.path=.\\collectorcmd.jar"}},
  };
  cases[0].expected.insert(cases[0].expected.end(), fixedTail.begin(), fixedTail.end());
  cases[0].expected.push_back("-DKVL_DIRECTORY=..\\KVL");
  cases[1].expected = cases[0].expected;
  cases[1].expected[0] = "-Djava.class.path=.\\zendriagent.jar;" + consoleMiddle + sharedTail;
  cases[2].expected.insert(cases[2].expected.end(), fixedTail.begin(), fixedTail.end());

  for (const Case& c : cases) {
    platform::CallLog log;
    platform::FakeProcessEnvironment environment(log);
    platform::RecordingOutput output;
    bootstrap::VmOptionList options =
        bootstrap::buildVmOptions(*c.profile, scanCommandLine({"launcher"}), output, environment);
    EXPECT_EQ(options.texts(), c.expected) << c.profile->entryClass;
  }
}

TEST(ConsoleProfilesTest, ProfileConstants) {
  for (const bootstrap::LaunchProfile* profile : {&collectorProfile(), &zendriAgentProfile(), &collectorCmdProfile()}) {
    EXPECT_EQ(profile->entryMethod, "main");
    EXPECT_EQ(profile->pathPrefix, std::optional<std::string>("..\\..\\Orvex;"));
    EXPECT_EQ(profile->workingDirectory, bootstrap::WorkingDirectory::Unchanged);
    EXPECT_EQ(profile->argumentMode, bootstrap::ArgumentMode::CommandLineWords);
    EXPECT_TRUE(profile->debugSupport && profile->passThrough);
    EXPECT_FALSE(profile->tearDownAfterRelease);
    EXPECT_EQ(profile->classFailureText, "Unable to load the %s class\n");
    EXPECT_EQ(profile->methodFailureText, std::optional<std::string>("Unable to locate the [main] method"));
  }
  EXPECT_EQ(collectorProfile().entryClass, "com/quorvel/vantry/collector/Collector");
  EXPECT_EQ(zendriAgentProfile().entryClass, "com/quorvel/vantry/collectionagent/zendriagent/ZendriAgent");
  EXPECT_EQ(collectorCmdProfile().entryClass, "com/quorvel/vantry/collectorcmd/CollectorCmd");
}

class ConsoleLauncherTest : public ::testing::Test {
 protected:
  int launch(const bootstrap::LaunchProfile& profile, const Texts& words) {
    ConsolePlatform platform{{settings, loader, events, environment, output}, messages};
    return runConsoleLauncher(profile, words, platform);
  }

  platform::CallLog log;
  platform::FakeSettingsStore settings{log};
  platform::FakeLibraryLoader loader{log};
  platform::FakeEventFactory events{log};
  platform::FakeProcessEnvironment environment{log};
  platform::FakeSystemMessages messages;
  platform::RecordingOutput output;
};

TEST_F(ConsoleLauncherTest, MissingJavaHomeGivesOneLineAndExitCodeOne) {
  messages.texts[2] = "The system cannot find the file specified.\r\n";
  EXPECT_EQ(launch(collectorProfile(), {"collector"}), 1);
  EXPECT_EQ(output.text(), "Registry key not found: 2 - The system cannot find the file specified.\r\n\n");
}

TEST_F(ConsoleLauncherTest, OverflowLinesComeBeforeTheFailureLine) {
  settings.values["LMG_JAVA_HOME"] = "C:\\Java";
  Texts words = {"collectorcmd", "debug"};
  for (int i = 1; i <= 24; ++i) words.push_back("-Xo" + std::to_string(i));
  EXPECT_EQ(launch(collectorCmdProfile(), words), 1);
  EXPECT_EQ(output.text(),
            "Maximum number of command line arguments has been exceeded. Cannot include -Xo24\n"
            "Unable to load the JVM\n");
}

TEST_F(ConsoleLauncherTest, MissingEntryClassLineIsFollowedByAnEmptyLine) {
  settings.values["LMG_JAVA_HOME"] = "C:\\Java";
  standin::FakeJvm jvm(standin::parseScript("no-class"), [this](const std::string& line) { log.add(line); });
  standin::FakeJvm::current() = &jvm;
  loader.addLibrary("C:\\Java\\jre\\bin\\classic\\jvm.dll",
                    {{"JNI_CreateJavaVM", reinterpret_cast<void*>(&standin::createCurrentJvm)}});
  EXPECT_EQ(launch(collectorCmdProfile(), {"collectorcmd"}), 1);
  standin::FakeJvm::current() = nullptr;
  EXPECT_EQ(output.text(), "Unable to load the com/quorvel/vantry/collectorcmd/CollectorCmd class\n\n");
}

TEST_F(ConsoleLauncherTest, KeepAliveWithoutEventReturnsZero) {
  settings.values["LMG_JAVA_HOME"] = "C:\\Java";
  standin::FakeJvm jvm({}, [this](const std::string& line) { log.add(line); });
  standin::FakeJvm::current() = &jvm;
  loader.addLibrary("C:\\Java\\jre\\bin\\classic\\jvm.dll",
                    {{"JNI_CreateJavaVM", reinterpret_cast<void*>(&standin::createCurrentJvm)}});
  events.failCreation = true;
  EXPECT_EQ(launch(collectorProfile(), {"collector", "a"}), 0);
  standin::FakeJvm::current() = nullptr;
  EXPECT_EQ(output.text(), "");
  EXPECT_TRUE(log.contains("argument 0 a"));
}

}  // namespace
}  // namespace console
