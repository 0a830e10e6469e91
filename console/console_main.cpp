// Program entry of a console launcher; CONSOLE_PROFILE names the profile
// this executable is built with.
#include "console/console_launcher.h"
#include "console/console_profiles.h"
#include "platform/library_loader.h"
#include "platform/process_environment.h"
#include "platform/settings_store.h"
#include "platform/sync_event.h"

int main(int argc, char** argv) {
  std::vector<std::string> words(argv, argv + argc);
  console::ConsolePlatform platform{
      {platform::systemSettingsStore(), platform::systemLibraryLoader(), platform::systemEventFactory(),
       platform::systemProcessEnvironment(), platform::standardOutput()},
      platform::systemMessages(),
  };
  return console::runConsoleLauncher(CONSOLE_PROFILE(), words, platform);
}
