#include "bootstrap/vm_options.h"

#include <gtest/gtest.h>

#include "bootstrap/profile_values.h"
#include "platform/fake_platform.h"

namespace bootstrap {
namespace {

using Texts = std::vector<std::string>;

// A console-like profile over one of the shared templates.
LaunchProfile consoleLike(const std::vector<OptionTemplateEntry>& optionTemplate) {
  return LaunchProfile{"a/B",  "main", "A.jar", "-Djava.class.path=%s", ClassPathSource::ProfileClassPath,
                       optionTemplate, std::string(kConsolePathPrefix), WorkingDirectory::Unchanged,
                       ArgumentMode::CommandLineWords, true, true, "no class %s", std::string("no method"), false};
}

LaunchProfile reportServerLike() {
  return LaunchProfile{"a/B", "startServer", "", "-Djava.class.path=%s\\qv.jar;%s\\log4j.jar",
                       ClassPathSource::ExeDirectory, reportServerTemplate(), std::nullopt,
                       WorkingDirectory::ExeDirectory, ArgumentMode::NoArguments, false, false, "no class",
                       std::nullopt, true};
}

LaunchRequest requestOf(Texts words, bool debug = false, bool suspend = false) {
  LaunchRequest request;
  request.words = std::move(words);
  request.debug = debug;
  request.suspend = suspend;
  return request;
}

class VmOptionsTest : public ::testing::Test {
 protected:
  VmOptionList build(const LaunchProfile& profile, const LaunchRequest& request) {
    return buildVmOptions(profile, request, console, environment);
  }
  Texts tail(const VmOptionList& options, std::size_t from) {
    return Texts(options.texts().begin() + static_cast<long>(from), options.texts().end());
  }

  platform::CallLog log;
  platform::RecordingOutput console;
  platform::FakeProcessEnvironment environment{log};
};

TEST_F(VmOptionsTest, ReportServerFillsTheExeDirectoryInBothPlaces) {
  LaunchRequest request;
  request.exeDirectory = "C:\\Report Server";
  VmOptionList options = build(reportServerLike(), request);
  EXPECT_EQ(options.texts(), (Texts{"-Djava.compiler=NONE",
                                    "-Djava.class.path=C:\\Report Server\\qv.jar;C:\\Report Server\\log4j.jar",
                                    "-Xrs"}));
}

TEST_F(VmOptionsTest, ClassPathOptionIsNeverCutShort) {
  LaunchRequest request;
  request.exeDirectory = std::string(700, 'd');
  VmOptionList options = build(reportServerLike(), request);
  EXPECT_EQ(options.texts()[1], "-Djava.class.path=" + request.exeDirectory + "\\qv.jar;" +
                                    request.exeDirectory + "\\log4j.jar");
}

TEST_F(VmOptionsTest, DebugOptionsFollowTheTemplate) {
  struct Case {
    bool debug, suspend;
    Texts added;
  } cases[] = {
      {false, false, {}},
      {true, false, {kDebugOption, kDebuggerAgentOption}},
      {true, true, {kDebugOption, kSuspendedDebuggerAgentOption}},
      {false, true, {}},
  };
  for (const Case& c : cases) {
    VmOptionList options = build(consoleLike(sixOptionTemplate()), requestOf({"collector"}, c.debug, c.suspend));
    EXPECT_EQ(tail(options, 6), c.added) << "debug=" << c.debug << " suspend=" << c.suspend;
  }
  EXPECT_EQ(std::string(kDebuggerAgentOption), "-Xrunjdwp:transport=dt_socket,address=3223,server=y,suspend=n");
  EXPECT_EQ(std::string(kSuspendedDebuggerAgentOption),
            "-Xrunjdwp:transport=dt_socket,address=3223,server=y,suspend=y");
}

TEST_F(VmOptionsTest, OnlyWordsBeginningWithCapitalXPassThrough) {
  VmOptionList options =
      build(consoleLike(sixOptionTemplate()),
            requestOf({"-Xzero", "run", "-Xmx256m", "-xms64m", "-X", "x-X", "-Xdebug"}, /*debug=*/true));
  EXPECT_EQ(tail(options, 6), (Texts{kDebugOption, kDebuggerAgentOption, "-Xzero", "-Xmx256m", "-X", "-Xdebug"}));
  EXPECT_EQ(console.text(), "");
}

TEST_F(VmOptionsTest, WordsThatFindTheListFullGetOneLineEach) {
  struct Case {
    const std::vector<OptionTemplateEntry>* optionTemplate;
    bool debug;
    std::size_t room;
  } cases[] = {
      {&sixOptionTemplate(), false, 24},
      {&sixOptionTemplate(), true, 22},
      {&fiveOptionTemplate(), false, 25},
      {&fiveOptionTemplate(), true, 23},
  };
  for (const Case& c : cases) {
    platform::RecordingOutput output;
    Texts words = {"collector"};
    for (int i = 1; i <= 27; ++i) words.push_back("-Xw" + std::to_string(i));
    VmOptionList options = buildVmOptions(consoleLike(*c.optionTemplate), requestOf(words, c.debug), output,
                                          environment);
    ASSERT_EQ(options.size(), VmOptionList::kCapacity);
    EXPECT_EQ(options.texts().back(), "-Xw" + std::to_string(c.room));
    std::string expected;
    for (std::size_t i = c.room + 1; i <= 27; ++i) {
      expected += "Maximum number of command line arguments has been exceeded. Cannot include -Xw" +
                  std::to_string(i) + "\n";
    }
    EXPECT_EQ(output.text(), expected) << "room " << c.room;
  }
}

TEST_F(VmOptionsTest, ProfilesWithoutDebugOrPassThroughIgnoreTheRequest) {
  VmOptionList options = build(reportServerLike(), requestOf({"qv", "-Xmx1g"}, true, true));
  EXPECT_EQ(options.size(), 3u);
}

TEST_F(VmOptionsTest, FullListRefusesFurtherEntries) {
  VmOptionList options;
  for (std::size_t i = 0; i < VmOptionList::kCapacity; ++i) EXPECT_TRUE(options.add("o" + std::to_string(i)));
  EXPECT_FALSE(options.add("one too many"));
  JavaVMOption* javaOptions = options.javaOptions();
  EXPECT_STREQ(javaOptions[29].optionString, "o29");
  EXPECT_EQ(javaOptions[0].extraInfo, nullptr);
}

TEST_F(VmOptionsTest, PathPrefixGoesInFrontOfTheOldPath) {
  LaunchProfile console = consoleLike(sixOptionTemplate());
  environment.variables["PATH"] = "C:\\A";
  applyPathPrefix(console, environment);
  EXPECT_EQ(environment.variables["PATH"], "..\\..\\Orvex;C:\\A");

  LaunchProfile server = console;
  server.pathPrefix = std::string(kCollectionServerPathPrefix);
  environment.variables["PATH"] = "C:\\A";
  applyPathPrefix(server, environment);
  EXPECT_EQ(environment.variables["PATH"], "..\\..\\Orvex;..\\..\\Common;C:\\A");

  environment.variables["PATH"] = "C:\\A";
  applyPathPrefix(reportServerLike(), environment);
  EXPECT_EQ(environment.variables["PATH"], "C:\\A");
  EXPECT_EQ(log.entries().size(), 2u);
}

TEST_F(VmOptionsTest, PathPrefixAloneWithoutAnOldPath) {
  applyPathPrefix(consoleLike(sixOptionTemplate()), environment);
  EXPECT_EQ(environment.variables["PATH"], "..\\..\\Orvex;");
}

TEST(ProfileValuesTest, CollectionServerSwapsTheSecondAndThirdArchive) {
  std::string console = consoleClassPath(".\\collector.jar");
  EXPECT_EQ(console,
            ".\\collector.jar;..\\..\\Common\\QDX\\qdxclient.jar;..\\..\\Common\\KVL\\KVLClient.jar;"
            "..\\..\\Common\\KVL\\KVLUtilities.jar;..\\..\\Common\\KVL\\Kovalite.jar;..\\classes\\axis.jar;"
            "..\\classes\\commons-discovery-0.2.jar;..\\classes\\commons-logging-1.0.4.jar;"
            "..\\classes\\jaxrpc.jar;..\\classes\\log4j-1.2.8.jar;..\\classes\\saaj.jar;"
            "..\\classes\\wsdl4j-1.5.1.jar;..\\classes\\servlet.jar");
  EXPECT_EQ(collectionServerClassPath(),
            ".\\collector.jar;..\\..\\Common\\KVL\\KVLClient.jar;..\\..\\Common\\QDX\\qdxclient.jar;" +
                console.substr(console.find("..\\..\\Common\\KVL\\KVLUtilities.jar")));
}

TEST(ProfileValuesTest, FillPlacesReplacesEveryPlace) {
  EXPECT_EQ(fillPlaces("Unable to load the %s class\n", "a/B"), "Unable to load the a/B class\n");
  EXPECT_EQ(fillPlaces("%s-%s", "x"), "x-x");
  EXPECT_EQ(fillPlaces("no place", "x"), "no place");
}

}  // namespace
}  // namespace bootstrap
