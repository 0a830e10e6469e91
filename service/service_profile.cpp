#include "service/service_profile.h"

#include "bootstrap/profile_values.h"

namespace service {
namespace {

using bootstrap::ArgumentMode;
using bootstrap::ClassPathSource;
using bootstrap::LaunchProfile;
using bootstrap::WorkingDirectory;

constexpr const char kGathrixServiceName[] = "QuorvelLumagridCollectionServer";
constexpr const char kGathrixDisplayName[] = "Quorvel Lumagrid Collection Server";

LaunchProfile gathrixLaunchProfile() {
  return LaunchProfile{
      "com/quorvel/vantry/collector/Collector",
      "main",
      bootstrap::collectionServerClassPath(),
      "-Djava.class.path=%s",
      ClassPathSource::ProfileClassPath,
      bootstrap::sixOptionTemplate(),
      std::string(bootstrap::kCollectionServerPathPrefix),
      WorkingDirectory::ExeDirectory,
      ArgumentMode::NoArguments,
      /*debugSupport=*/false,
      /*passThrough=*/false,
      // Two blanks stand between "class" and the class name.
      "The system cannot load class  %s",
      std::string("The system cannot invoke [main] method"),
      /*tearDownAfterRelease=*/true,
  };
}

LaunchProfile qvLaunchProfile() {
  return LaunchProfile{
      "com/quorvel/reportserver/protocol/rmi/QVServer",
      "startServer",
      std::string(),
      "-Djava.class.path=%s\\qv.jar;%s\\log4j.jar",
      ClassPathSource::ExeDirectory,
      bootstrap::reportServerTemplate(),
      std::nullopt,
      WorkingDirectory::ExeDirectory,
      ArgumentMode::NoArguments,
      /*debugSupport=*/false,
      /*passThrough=*/false,
      "The system cannot load the Server class",
      std::string("The system cannot invoke [startServer] method"),
      /*tearDownAfterRelease=*/true,
  };
}

}  // namespace

const ServiceProfile& gathrixProfile() {
  static const ServiceProfile profile{
      kGathrixServiceName,
      kGathrixDisplayName,
      "Usage: Gathrix.exe <options>\n",
      OptionMatch::PrefixIgnoreCase,
      std::string(kGathrixServiceName) + " has been successfully registered.\n",
      std::string(kGathrixDisplayName) + " has been successfully unregistered.\n",
      // The phrase comes first, the service name last.
      std::string("has been started successfully ") + kGathrixServiceName,
      gathrixLaunchProfile(),
  };
  return profile;
}

const ServiceProfile& qvProfile() {
  static const ServiceProfile profile{
      "ReportServer",
      "Report Server",
      "Usage: qv.exe <options>\n",
      OptionMatch::ExactCase,
      "Report Service has been successfully registered.\n",
      "Report Service has been successfully unregistered.\n",
      "Report server has been started successfully",
      qvLaunchProfile(),
  };
  return profile;
}

}  // namespace service
