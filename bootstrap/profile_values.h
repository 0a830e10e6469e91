// Values that several launch profiles share: the fixed option templates and
// the class paths of the console launchers and the collection server.
#ifndef BOOTSTRAP_PROFILE_VALUES_H
#define BOOTSTRAP_PROFILE_VALUES_H

#include <string>
#include <vector>

#include "bootstrap/launch_profile.h"

namespace bootstrap {

const std::vector<OptionTemplateEntry>& sixOptionTemplate();
const std::vector<OptionTemplateEntry>& fiveOptionTemplate();
const std::vector<OptionTemplateEntry>& reportServerTemplate();

// The console class path with `firstEntry` (".\collector.jar" or
// ".\zendriagent.jar") in front of the twelve shared archives.
std::string consoleClassPath(const std::string& firstEntry);

// The collection server's class path: the console one of ".\collector.jar"
// with its second and third archives swapped.
std::string collectionServerClassPath();

inline constexpr const char kConsolePathPrefix[] = "..\\..\\Orvex;";
inline constexpr const char kCollectionServerPathPrefix[] = "..\\..\\Orvex;..\\..\\Common;";

}  // namespace bootstrap

#endif
