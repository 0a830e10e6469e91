// The compiled-in constants of one service host.
#ifndef SERVICE_SERVICE_PROFILE_H
#define SERVICE_SERVICE_PROFILE_H

#include <string>

#include "bootstrap/launch_profile.h"

namespace service {

// How the command-line options are recognised.
enum class OptionMatch {
  // The word's first characters, as many as the option has, equal the
  // option with ASCII letters compared without regard to case; the word
  // may go on after them.
  PrefixIgnoreCase,
  // The word equals the option exactly, case included.
  ExactCase,
};

struct ServiceProfile {
  std::string serviceName;   // key name with the service control manager; event source
  std::string displayName;   // display name; bracketed prefix of every text written or printed
  std::string usageHeading;  // first line of the usage text
  OptionMatch optionMatch;
  std::string registeredLine;    // printed after a successful /Install
  std::string unregisteredLine;  // printed after a successful /UnInstall
  std::string startedText;       // information entry once the entry method has returned
  bootstrap::LaunchProfile launchProfile;
};

inline constexpr const char kInstallOption[] = "/Install";
inline constexpr const char kUninstallOption[] = "/UnInstall";

// The collection server.
const ServiceProfile& gathrixProfile();
// The report server.
const ServiceProfile& qvProfile();

}  // namespace service

#endif
