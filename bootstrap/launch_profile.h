// The compiled-in constants of one launcher deliverable, and the inputs of
// one launch.
#ifndef BOOTSTRAP_LAUNCH_PROFILE_H
#define BOOTSTRAP_LAUNCH_PROFILE_H

#include <optional>
#include <string>
#include <vector>

namespace bootstrap {

enum class ClassPathSource { ProfileClassPath, ExeDirectory };
enum class WorkingDirectory { Unchanged, ExeDirectory };
enum class ArgumentMode { CommandLineWords, NoArguments };

// One entry of a profile's fixed option list: a literal option text, or the
// place of the class-path option.
struct OptionTemplateEntry {
  bool isClassPath;
  std::string literal;
};

OptionTemplateEntry literalOption(std::string text);
OptionTemplateEntry classPathOption();

struct LaunchProfile {
  std::string entryClass;             // slash form, as FindClass takes it
  std::string entryMethod;            // static, "([Ljava/lang/String;)V"
  std::string classPath;              // may be empty
  std::string classPathOptionFormat;  // one or two %s places
  ClassPathSource classPathSource;
  std::vector<OptionTemplateEntry> optionTemplate;
  std::optional<std::string> pathPrefix;  // directories, each ending in ';'
  WorkingDirectory workingDirectory;
  ArgumentMode argumentMode;
  bool debugSupport;
  bool passThrough;
  std::string classFailureText;  // may hold one %s place for entryClass
  std::optional<std::string> methodFailureText;
  bool tearDownAfterRelease;
};

struct LaunchRequest {
  bool debug = false;
  bool suspend = false;
  std::vector<std::string> words;  // argument zero included
  std::string exeDirectory;        // empty for the console launchers
};

// Fills every %s place of `format` with `value`.
std::string fillPlaces(const std::string& format, const std::string& value);

}  // namespace bootstrap

#endif
