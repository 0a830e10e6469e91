#include "service/service_profile.h"

#include <gtest/gtest.h>

#include "bootstrap/vm_options.h"
#include "platform/fake_platform.h"

namespace service {
namespace {

using Texts = std::vector<std::string>;

Texts optionsOf(const ServiceProfile& profile, const std::string& exeDirectory) {
  platform::CallLog log;
  platform::FakeProcessEnvironment environment(log);
  platform::RecordingOutput output;
  bootstrap::LaunchRequest request;
  request.exeDirectory = exeDirectory;
  Texts options = bootstrap::buildVmOptions(profile.launchProfile, request, output, environment).texts();
  EXPECT_EQ(output.text(), "");
  return options;
}

// The option lists of both service profiles, byte for byte.
TEST(ServiceProfileTest, OptionListsOfBothProfiles) {
  EXPECT_EQ(optionsOf(gathrixProfile(), "C:\\Server"),
            (Texts{"-Djava.class.path=.\\collector.jar;..\\..\\Common\\KVL\\KVLClient.jar;"
                   "..\\..\\Common\\QDX\\qdxclient.jar;..\\..\\Common\\KVL\\KVLUtilities.jar;"
                   "..\\..\\Common\\KVL\\Kovalite.jar;..\\classes\\axis.jar;..\\classes\\commons-discovery-0.2.jar;"
                   "..\\classes\\commons-logging-1.0.4.jar;..\\classes\\jaxrpc.jar;..\\classes\\log4j-1.2.8.jar;"
                   "..\\classes\\saaj.jar;..\\classes\\wsdl4j-1.5.1.jar;..\\classes\\servlet.jar",
                   "-Djava.compiler=NONE", "-Djava.library.path=.;..\\..\\Common;..\\..\\Orvex", "-Xrs",
                   "-Dsun.java2d.noddraw=true", "-DKVL_DIRECTORY=..\\KVL"}));
  EXPECT_EQ(optionsOf(qvProfile(), "D:\\Reports"),
            (Texts{"-Djava.compiler=NONE", "-Djava.class.path=D:\\Reports\\qv.jar;D:\\Reports\\log4j.jar", "-Xrs"}));
}

TEST(ServiceProfileTest, LaunchProfileConstants) {
  const bootstrap::LaunchProfile& gathrix = gathrixProfile().launchProfile;
  EXPECT_EQ(gathrix.entryClass, "com/quorvel/vantry/collector/Collector");
  EXPECT_EQ(gathrix.entryMethod, "main");
  EXPECT_EQ(gathrix.pathPrefix, std::optional<std::string>("..\\..\\Orvex;..\\..\\Common;"));
  EXPECT_EQ(bootstrap::fillPlaces(gathrix.classFailureText, gathrix.entryClass),
            "The system cannot load class  com/quorvel/vantry/collector/Collector");
  EXPECT_EQ(gathrix.methodFailureText, std::optional<std::string>("The system cannot invoke [main] method"));

  const bootstrap::LaunchProfile& qv = qvProfile().launchProfile;
  EXPECT_EQ(qv.entryClass, "com/quorvel/reportserver/protocol/rmi/QVServer");
  EXPECT_EQ(qv.entryMethod, "startServer");
  EXPECT_EQ(qv.pathPrefix, std::nullopt);
  EXPECT_EQ(qv.classFailureText, "The system cannot load the Server class");

  for (const bootstrap::LaunchProfile* profile : {&gathrix, &qv}) {
    EXPECT_EQ(profile->workingDirectory, bootstrap::WorkingDirectory::ExeDirectory);
    EXPECT_EQ(profile->argumentMode, bootstrap::ArgumentMode::NoArguments);
    EXPECT_FALSE(profile->debugSupport || profile->passThrough);
    EXPECT_TRUE(profile->tearDownAfterRelease);
  }
}

TEST(ServiceProfileTest, ServiceTexts) {
  EXPECT_EQ(gathrixProfile().serviceName, "QuorvelLumagridCollectionServer");
  EXPECT_EQ(gathrixProfile().displayName, "Quorvel Lumagrid Collection Server");
  EXPECT_EQ(gathrixProfile().registeredLine, "QuorvelLumagridCollectionServer has been successfully registered.\n");
  EXPECT_EQ(gathrixProfile().unregisteredLine,
            "Quorvel Lumagrid Collection Server has been successfully unregistered.\n");
  EXPECT_EQ(gathrixProfile().startedText, "has been started successfully QuorvelLumagridCollectionServer");
  EXPECT_EQ(qvProfile().serviceName, "ReportServer");
  EXPECT_EQ(qvProfile().displayName, "Report Server");
  EXPECT_EQ(qvProfile().registeredLine, "Report Service has been successfully registered.\n");
  EXPECT_EQ(qvProfile().unregisteredLine, "Report Service has been successfully unregistered.\n");
  EXPECT_EQ(qvProfile().startedText, "Report server has been started successfully");
}

}  // namespace
}  // namespace service
