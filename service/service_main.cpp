// Program entry of a service host; SERVICE_PROFILE names the profile this
// executable is built with.
#include "platform/event_log.h"
#include "platform/executable_file.h"
#include "platform/library_loader.h"
#include "platform/process_environment.h"
#include "platform/service_control.h"
#include "platform/service_dispatcher.h"
#include "platform/settings_store.h"
#include "platform/sync_event.h"
#include "platform/system_message.h"
#include "platform/text_output.h"
#include "platform/threads.h"
#include "service/service_host.h"
#include "service/service_profile.h"

int main(int argc, char** argv) {
  std::vector<std::string> words(argv, argv + argc);
  service::ServiceHostPlatform platform{
      {
          {platform::systemSettingsStore(), platform::systemLibraryLoader(), platform::systemEventFactory(),
           platform::systemProcessEnvironment(), platform::standardOutput()},
          platform::systemServiceDispatcher(),
          platform::systemThreads(),
      },
      {platform::systemServiceControl(), platform::runningExecutable(), platform::standardOutput(),
       platform::systemMessages()},
      platform::systemEventLog(),
  };
  return service::runServiceHost(SERVICE_PROFILE(), words, platform);
}
