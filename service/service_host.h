// The program entry of the service hosts: usage, registration and
// unregistration from the command line, or the hand-over to the service
// dispatcher.
#ifndef SERVICE_SERVICE_HOST_H
#define SERVICE_SERVICE_HOST_H

#include <string>
#include <vector>

#include "platform/event_log.h"
#include "service/service_profile.h"
#include "service/service_registration.h"
#include "service/service_runtime.h"

namespace service {

inline constexpr const char kDispatcherFailureText[] = "StartServiceCtrlDispatcher error";

struct ServiceHostPlatform {
  ServiceRuntimePlatform runtime;
  RegistrationPlatform registration;
  platform::EventLog& eventLog;
};

// Runs a service host with its command-line `words`, the program's own
// first word included, and returns the process exit status, always 0.
// Three or more words print the usage text; two words register or
// unregister the service, or print the usage text when the second names
// neither option; one word or none stores the exe directory and hands the
// process to the service dispatcher, whose failure becomes one error entry
// in the event log and nothing on the console.
int runServiceHost(const ServiceProfile& profile, const std::vector<std::string>& words,
                   const ServiceHostPlatform& platform);

}  // namespace service

#endif
