#include "service/service_registration.h"

#include <cstring>
#include <memory>

#include "service/event_log_reporter.h"

namespace service {
namespace {

char foldAsciiCase(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool beginsWithIgnoringCase(const std::string& word, const char* option) {
  std::size_t length = std::strlen(option);
  if (word.size() < length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    if (foldAsciiCase(word[i]) != foldAsciiCase(option[i])) return false;
  }
  return true;
}

void printFailure(const ServiceProfile& profile, const RegistrationPlatform& platform, const char* text,
                  platform::ErrorCode code) {
  printErrorWithCode(profile.displayName, text, code, platform.console, platform.messages);
}

}  // namespace

bool matchesOption(const ServiceProfile& profile, const std::string& word, const char* option) {
  if (profile.optionMatch == OptionMatch::PrefixIgnoreCase) return beginsWithIgnoringCase(word, option);
  return word == option;
}

void printUsage(const ServiceProfile& profile, platform::TextOutput& console) {
  console.write(profile.usageHeading);
  console.write("where possible options include:\n");
  console.write("\t/Install\t\t Register service with Windows\n");
  console.write("\t/UnInstall\t\t UnRegister service with Windows\n");
}

bool installService(const ServiceProfile& profile, const RegistrationPlatform& platform) {
  // The module's own path, not the first command-line word: that may be
  // relative, and without quotes a path with blanks would let the manager
  // start a program named by its first part.
  std::string programPath;
  platform::ErrorCode code = platform.executable.path(&programPath);
  if (code != platform::kNoError) {
    printFailure(profile, platform, kRegisterFailureText, code);
    return false;
  }
  std::unique_ptr<platform::ServiceManager> manager;
  code = platform.serviceControl.openManager(&manager);
  if (code != platform::kNoError) {
    printFailure(profile, platform, kRegisterFailureText, code);
    return false;
  }
  std::unique_ptr<platform::InstalledService> service;
  code = manager->createService(profile.serviceName, profile.displayName, "\"" + programPath + "\"", &service);
  if (code != platform::kNoError) {
    manager.reset();
    printFailure(profile, platform, kRegisterFailureText, code);
    return false;
  }
  service.reset();
  manager.reset();
  return true;
}

bool uninstallService(const ServiceProfile& profile, const RegistrationPlatform& platform) {
  std::unique_ptr<platform::ServiceManager> manager;
  platform::ErrorCode code = platform.serviceControl.openManager(&manager);
  if (code != platform::kNoError) {
    printFailure(profile, platform, kUnregisterFailureText, code);
    return false;
  }
  std::unique_ptr<platform::InstalledService> service;
  code = manager->openServiceForDeletion(profile.serviceName, &service);
  if (code != platform::kNoError) {
    manager.reset();
    printFailure(profile, platform, kUnregisterFailureText, code);
    return false;
  }
  // A refusal (a service already marked for deletion, for one) is a
  // failure like the others, not a success.
  code = service->remove();
  service.reset();
  manager.reset();
  if (code != platform::kNoError) {
    printFailure(profile, platform, kUnregisterFailureText, code);
    return false;
  }
  return true;
}

std::string exeDirectoryOf(const std::string& firstWord, platform::RunningExecutable& executable) {
  std::size_t backslash = firstWord.find_last_of('\\');
  if (backslash != std::string::npos && firstWord.size() <= kFirstWordLimit) return firstWord.substr(0, backslash);
  std::string directory;
  if (executable.directory(&directory) == platform::kNoError) return directory;
  // Without the executable's own location, the word is all there is.
  return backslash == std::string::npos ? std::string() : firstWord.substr(0, backslash);
}

}  // namespace service
