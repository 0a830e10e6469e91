// POSIX backend of the settings store: a file of NAME=value lines stands in
// for the registry's machine environment block, with the registry's codes.
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <map>

#include "platform/settings_store.h"

namespace platform {
namespace {

std::string trimmed(const std::string& text) {
  const char* blanks = " \t\r";
  std::size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return std::string();
  std::size_t last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

// pam_env style: NAME=value, NAME="value"; blank lines and # comments skipped.
std::map<std::string, std::string> parseEnvironmentFile(std::istream& in) {
  std::map<std::string, std::string> values;
  std::string line;
  while (std::getline(in, line)) {
    line = trimmed(line);
    if (line.empty() || line[0] == '#') continue;
    std::size_t equals = line.find('=');
    if (equals == std::string::npos || equals == 0) continue;
    std::string value = line.substr(equals + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
      value = value.substr(1, value.size() - 2);
    }
    values[line.substr(0, equals)] = value;
  }
  return values;
}

class FileSettingsKey : public SettingsKey {
 public:
  explicit FileSettingsKey(std::map<std::string, std::string> values) : values_(std::move(values)) {}

  ErrorCode readText(const char* name, std::size_t bufferSize, std::string* text) override {
    auto found = values_.find(name);
    if (found == values_.end()) return kFileNotFound;
    const std::string& value = found->second;
    if (value.find('\0') != std::string::npos) return kInvalidData;
    if (value.size() + 1 > bufferSize) return kMoreData;
    *text = value;
    return kNoError;
  }

 private:
  std::map<std::string, std::string> values_;
};

class FileSettingsStore : public SettingsStore {
 public:
  ErrorCode openMachineEnvironment(std::unique_ptr<SettingsKey>* key) override {
    const char* override_path = std::getenv(kMachineEnvironmentFileVariable);
    const char* path = override_path != nullptr ? override_path : "/etc/environment";
    std::ifstream in(path, std::ios::binary);
    if (!in) return errno == EACCES ? kAccessDenied : kFileNotFound;
    *key = std::make_unique<FileSettingsKey>(parseEnvironmentFile(in));
    return kNoError;
  }
};

}  // namespace

SettingsStore& systemSettingsStore() {
  static FileSettingsStore store;
  return store;
}

}  // namespace platform
