// Read access to the machine-wide environment block: on Windows the registry
// key HKLM\SYSTEM\CurrentControlSet\Control\Session Manager\Environment, on
// POSIX a file of NAME=value lines.
#ifndef PLATFORM_SETTINGS_STORE_H
#define PLATFORM_SETTINGS_STORE_H

#include <cstddef>
#include <memory>
#include <string>

#include "platform/error_code.h"

namespace platform {

// An open machine environment key. Destroying it closes the key.
class SettingsKey {
 public:
  virtual ~SettingsKey() = default;

  // Reads the text value `name` through a buffer of `bufferSize` bytes, its
  // terminating zero included, and stores the text up to its first zero byte.
  // Returns the error code of the read: kMoreData when the value does not fit,
  // kFileNotFound when there is no such value, kInvalidData when the value is
  // not text or has no terminating zero within the bytes read.
  virtual ErrorCode readText(const char* name, std::size_t bufferSize, std::string* text) = 0;
};

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;

  // Opens the machine environment key. On success stores it in `key` and
  // returns kNoError; otherwise returns the code the open failed with.
  virtual ErrorCode openMachineEnvironment(std::unique_ptr<SettingsKey>* key) = 0;
};

// The machine's own store.
SettingsStore& systemSettingsStore();

// POSIX only: the environment variable that names the file standing in for
// the machine environment block (default /etc/environment).
inline constexpr const char kMachineEnvironmentFileVariable[] = "LMG_MACHINE_ENVIRONMENT_FILE";

}  // namespace platform

#endif
