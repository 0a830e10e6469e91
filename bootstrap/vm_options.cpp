#include "bootstrap/vm_options.h"

namespace bootstrap {

bool VmOptionList::add(std::string text) {
  if (texts_.size() >= kCapacity) return false;
  texts_.push_back(std::move(text));
  return true;
}

JavaVMOption* VmOptionList::javaOptions() {
  options_.clear();
  for (std::string& text : texts_) {
    JavaVMOption option;
    option.optionString = &text[0];
    option.extraInfo = nullptr;
    options_.push_back(option);
  }
  return options_.data();
}

void applyPathPrefix(const LaunchProfile& profile, platform::ProcessEnvironment& environment) {
  if (!profile.pathPrefix) return;
  // A process without PATH gets the prefix alone.
  std::string old = environment.variable("PATH").value_or(std::string());
  environment.setVariable("PATH", environment.nativePathText(*profile.pathPrefix) + old);
}

namespace {

std::string classPathOptionText(const LaunchProfile& profile, const LaunchRequest& request) {
  const std::string& source =
      profile.classPathSource == ClassPathSource::ProfileClassPath ? profile.classPath : request.exeDirectory;
  return fillPlaces(profile.classPathOptionFormat, source);
}

bool isPassThroughWord(const std::string& word) { return word.size() >= 2 && word[0] == '-' && word[1] == 'X'; }

}  // namespace

VmOptionList buildVmOptions(const LaunchProfile& profile, const LaunchRequest& request,
                            platform::TextOutput& console, platform::ProcessEnvironment& environment) {
  VmOptionList options;
  // The template holds at most six entries, so these adds always fit.
  for (const OptionTemplateEntry& entry : profile.optionTemplate) {
    options.add(environment.nativePathText(entry.isClassPath ? classPathOptionText(profile, request)
                                                             : entry.literal));
  }
  if (profile.debugSupport && request.debug) {
    options.add(kDebugOption);
    options.add(request.suspend ? kSuspendedDebuggerAgentOption : kDebuggerAgentOption);
  }
  if (profile.passThrough) {
    for (const std::string& word : request.words) {
      if (!isPassThroughWord(word)) continue;
      if (!options.add(word)) {
        console.write(std::string(kOptionOverflowText) + " " + word + "\n");
      }
    }
  }
  return options;
}

}  // namespace bootstrap
