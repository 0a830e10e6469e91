// Scriptable in-memory fakes of the platform seam. Each records what it was
// asked into a shared CallLog, so tests can check the order of operations
// across capabilities, and each single step can be told to fail with a
// chosen code.
#ifndef PLATFORM_FAKE_PLATFORM_H
#define PLATFORM_FAKE_PLATFORM_H

#include <condition_variable>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/library_loader.h"
#include "platform/process_environment.h"
#include "platform/settings_store.h"
#include "platform/sync_event.h"
#include "platform/system_message.h"
#include "platform/text_output.h"

namespace platform {

// An ordered, thread-safe record of calls, one short text each.
class CallLog {
 public:
  void add(std::string entry);
  std::vector<std::string> entries() const;
  // Whether some entry equals `entry`.
  bool contains(const std::string& entry) const;
  // Waits up to `seconds` for an entry equal to `entry`; whether it came.
  bool waitFor(const std::string& entry, int seconds = 20) const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable added_;
  std::vector<std::string> entries_;
};

class FakeSettingsStore : public SettingsStore {
 public:
  explicit FakeSettingsStore(CallLog& log) : log_(log) {}

  ErrorCode openMachineEnvironment(std::unique_ptr<SettingsKey>* key) override;

  // Script: values present, and failure codes for the open and the read.
  std::map<std::string, std::string> values;
  ErrorCode openFailure = kNoError;
  ErrorCode readFailure = kNoError;

 private:
  CallLog& log_;
};

class FakeLibraryLoader : public LibraryLoader {
 public:
  explicit FakeLibraryLoader(CallLog& log) : log_(log) {}

  // Makes `path` loadable, exporting `symbols`.
  void addLibrary(const std::string& path, std::map<std::string, void*> symbols);

  LibraryHandle load(const std::string& path) override;
  LibraryHandle loadByName(const std::string& name) override;
  void* findSymbol(LibraryHandle library, const char* name) override;
  void unload(LibraryHandle library) override;
  const std::vector<std::string>& modernVmLibraryLayouts() override { return modernLayouts; }

  std::vector<std::string> modernLayouts = {"bin\\server\\jvm.dll", "lib\\server\\libjvm.so"};

 private:
  struct Library {
    std::string path;
    std::map<std::string, void*> symbols;
  };
  CallLog& log_;
  std::vector<std::unique_ptr<Library>> libraries_;
};

class FakeEventFactory : public EventFactory {
 public:
  explicit FakeEventFactory(CallLog& log) : log_(log) {}
  std::unique_ptr<Event> createManualResetEvent() override;

  bool failCreation = false;

 private:
  CallLog& log_;
  int created_ = 0;
};

class FakeProcessEnvironment : public ProcessEnvironment {
 public:
  explicit FakeProcessEnvironment(CallLog& log) : log_(log) {}

  std::optional<std::string> variable(const char* name) override;
  void setVariable(const char* name, const std::string& value) override;
  void setCurrentDirectory(const std::string& directory) override;
  // Unchanged, so tests see the profiles' exact bytes.
  std::string nativePathText(const std::string& windowsForm) override { return windowsForm; }

  std::map<std::string, std::string> variables;
  std::string currentDirectory;

 private:
  CallLog& log_;
};

class FakeSystemMessages : public SystemMessages {
 public:
  std::optional<std::string> textFor(ErrorCode code) override;
  std::map<ErrorCode, std::string> texts;
};

class RecordingOutput : public TextOutput {
 public:
  void write(std::string_view text) override;
  std::string text() const;

 private:
  mutable std::mutex mutex_;
  std::string text_;
};

}  // namespace platform

#endif
