// The PATH prefix and the assembly of the VM option list of one launch.
#ifndef BOOTSTRAP_VM_OPTIONS_H
#define BOOTSTRAP_VM_OPTIONS_H

#include <jni.h>

#include <cstddef>
#include <string>
#include <vector>

#include "bootstrap/launch_profile.h"
#include "platform/process_environment.h"
#include "platform/text_output.h"

namespace bootstrap {

// The ordered VM options of one launch, at most kCapacity of them.
class VmOptionList {
 public:
  static constexpr std::size_t kCapacity = 30;

  // Appends `text`; false, and nothing appended, when the list is full.
  bool add(std::string text);
  std::size_t size() const { return texts_.size(); }
  const std::vector<std::string>& texts() const { return texts_; }

  // The entries as JavaVMOption records (extraInfo null), valid while the
  // list lives and is not changed.
  JavaVMOption* javaOptions();

 private:
  std::vector<std::string> texts_;
  std::vector<JavaVMOption> options_;
};

inline constexpr const char kDebugOption[] = "-Xdebug";
inline constexpr const char kDebuggerAgentOption[] =
    "-Xrunjdwp:transport=dt_socket,address=3223,server=y,suspend=n";
inline constexpr const char kSuspendedDebuggerAgentOption[] =
    "-Xrunjdwp:transport=dt_socket,address=3223,server=y,suspend=y";
inline constexpr const char kOptionOverflowText[] =
    "Maximum number of command line arguments has been exceeded. Cannot include";

// Puts the profile's PATH prefix in front of the process PATH; nothing when
// the profile has none.
void applyPathPrefix(const LaunchProfile& profile, platform::ProcessEnvironment& environment);

// The profile's fixed options, the debug options and the request's -X words,
// in that order. Each -X word that finds the list full is left out with a
// line on `console`. Paths of the fixed options are rendered by
// `environment` in the platform's form; command-line words never are.
VmOptionList buildVmOptions(const LaunchProfile& profile, const LaunchRequest& request,
                            platform::TextOutput& console, platform::ProcessEnvironment& environment);

}  // namespace bootstrap

#endif
