// The launch profiles of the three console launchers.
#ifndef CONSOLE_CONSOLE_PROFILES_H
#define CONSOLE_CONSOLE_PROFILES_H

#include "bootstrap/launch_profile.h"

namespace console {

const bootstrap::LaunchProfile& collectorProfile();
const bootstrap::LaunchProfile& zendriAgentProfile();
const bootstrap::LaunchProfile& collectorCmdProfile();

}  // namespace console

#endif
