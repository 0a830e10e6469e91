#include "service/service_host.h"

#include <memory>

#include "service/event_log_reporter.h"

namespace service {

int runServiceHost(const ServiceProfile& profile, const std::vector<std::string>& words,
                   const ServiceHostPlatform& platform) {
  auto reporter = std::make_shared<EventLogReporter>(profile.serviceName, profile.displayName, profile.startedText,
                                                     platform.eventLog, platform.registration.messages);
  platform::TextOutput& console = platform.registration.console;
  if (words.size() >= 3) {
    printUsage(profile, console);
    return 0;
  }
  if (words.size() == 2) {
    if (matchesOption(profile, words[1], kInstallOption)) {
      if (installService(profile, platform.registration)) console.write(profile.registeredLine);
    } else if (matchesOption(profile, words[1], kUninstallOption)) {
      if (uninstallService(profile, platform.registration)) console.write(profile.unregisteredLine);
    } else {
      printUsage(profile, console);
    }
    return 0;
  }
  std::string exeDirectory =
      exeDirectoryOf(words.empty() ? std::string() : words[0], platform.registration.executable);
  std::shared_ptr<ServiceRuntime> runtime = ServiceRuntime::create(profile, reporter, platform.runtime, exeDirectory);
  platform::ErrorCode code = runtime->dispatch();
  if (code != platform::kNoError) reporter->reportSystemError(kDispatcherFailureText, code);
  return 0;
}

}  // namespace service
