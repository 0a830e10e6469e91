#include "console/console_profiles.h"

#include "bootstrap/profile_values.h"

namespace console {
namespace {

using bootstrap::ArgumentMode;
using bootstrap::ClassPathSource;
using bootstrap::LaunchProfile;
using bootstrap::WorkingDirectory;

LaunchProfile consoleProfile(const char* entryClass, std::string classPath,
                             const std::vector<bootstrap::OptionTemplateEntry>& optionTemplate) {
  return LaunchProfile{
      entryClass,
      "main",
      std::move(classPath),
      "-Djava.class.path=%s",
      ClassPathSource::ProfileClassPath,
      optionTemplate,
      std::string(bootstrap::kConsolePathPrefix),
      WorkingDirectory::Unchanged,
      ArgumentMode::CommandLineWords,
      /*debugSupport=*/true,
      /*passThrough=*/true,
      "Unable to load the %s class\n",
      std::string("Unable to locate the [main] method"),
      /*tearDownAfterRelease=*/false,
  };
}

}  // namespace

const LaunchProfile& collectorProfile() {
  static const LaunchProfile profile =
      consoleProfile("com/quorvel/vantry/collector/Collector", bootstrap::consoleClassPath(".\\collector.jar"),
                     bootstrap::sixOptionTemplate());
  return profile;
}

const LaunchProfile& zendriAgentProfile() {
  static const LaunchProfile profile = consoleProfile(
      "com/quorvel/vantry/collectionagent/zendriagent/ZendriAgent",
      bootstrap::consoleClassPath(".\\zendriagent.jar"), bootstrap::sixOptionTemplate());
  return profile;
}

const LaunchProfile& collectorCmdProfile() {
  static const LaunchProfile profile = consoleProfile("com/quorvel/vantry/collectorcmd/CollectorCmd",
                                                      ".\\collectorcmd.jar", bootstrap::fiveOptionTemplate());
  return profile;
}

}  // namespace console
