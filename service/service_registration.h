// What a service host does from its command line outside the running
// service: option matching, the usage text, registering and unregistering
// the service, and working out the exe directory.
#ifndef SERVICE_SERVICE_REGISTRATION_H
#define SERVICE_SERVICE_REGISTRATION_H

#include <cstddef>
#include <string>

#include "platform/executable_file.h"
#include "platform/service_control.h"
#include "platform/system_message.h"
#include "platform/text_output.h"
#include "service/service_profile.h"

namespace service {

inline constexpr const char kRegisterFailureText[] = "Unable to register service with Windows.";
inline constexpr const char kUnregisterFailureText[] = "Unable to unregister service with Windows.";

// The longest first word whose directory part is taken as the exe
// directory; it keeps that part within 500 bytes with its terminating zero.
inline constexpr std::size_t kFirstWordLimit = 500;

// The operating-system services of the command-line operations.
struct RegistrationPlatform {
  platform::ServiceControl& serviceControl;
  platform::RunningExecutable& executable;
  platform::TextOutput& console;
  platform::SystemMessages& messages;
};

// Whether `word` names `option` under the profile's option matching.
bool matchesOption(const ServiceProfile& profile, const std::string& word, const char* option);

// Prints the four usage lines.
void printUsage(const ServiceProfile& profile, platform::TextOutput& console);

// Registers the service: own process, started on demand, normal error
// control, LocalSystem, with the running executable's full path in double
// quotes as its command line, so that a path with blanks cannot be read as
// a shorter program path. Returns true on success; on failure the one
// failure line has been printed.
bool installService(const ServiceProfile& profile, const RegistrationPlatform& platform);

// Marks the service for deletion; a running service is not stopped first.
// Returns true on success; on failure, a refused deletion included, the one
// failure line has been printed.
bool uninstallService(const ServiceProfile& profile, const RegistrationPlatform& platform);

// The exe directory: the text of `firstWord` before its last backslash
// (forward slashes do not count). A word without a backslash, or longer
// than kFirstWordLimit, gives the directory of the running executable
// instead, whatever its length; the file system is not consulted otherwise.
std::string exeDirectoryOf(const std::string& firstWord, platform::RunningExecutable& executable);

}  // namespace service

#endif
