#include "platform/fake_platform.h"

#include <algorithm>
#include <chrono>

namespace platform {

void CallLog::add(std::string entry) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.push_back(std::move(entry));
  added_.notify_all();
}

bool CallLog::waitFor(const std::string& entry, int seconds) const {
  std::unique_lock<std::mutex> lock(mutex_);
  return added_.wait_for(lock, std::chrono::seconds(seconds), [&] {
    return std::find(entries_.begin(), entries_.end(), entry) != entries_.end();
  });
}

std::vector<std::string> CallLog::entries() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_;
}

bool CallLog::contains(const std::string& entry) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::find(entries_.begin(), entries_.end(), entry) != entries_.end();
}

namespace {

class FakeSettingsKey : public SettingsKey {
 public:
  FakeSettingsKey(CallLog& log, const FakeSettingsStore& store) : log_(log), store_(store) {}
  ~FakeSettingsKey() override { log_.add("settings.close"); }

  ErrorCode readText(const char* name, std::size_t bufferSize, std::string* text) override {
    log_.add(std::string("settings.read ") + name + " " + std::to_string(bufferSize));
    if (store_.readFailure != kNoError) return store_.readFailure;
    auto found = store_.values.find(name);
    if (found == store_.values.end()) return kFileNotFound;
    if (found->second.size() + 1 > bufferSize) return kMoreData;
    *text = found->second;
    return kNoError;
  }

 private:
  CallLog& log_;
  const FakeSettingsStore& store_;
};

class FakeEvent : public Event {
 public:
  FakeEvent(CallLog& log, std::string name) : log_(log), name_(std::move(name)) {}
  ~FakeEvent() override { log_.add(name_ + ".close"); }

  void signal() override {
    log_.add(name_ + ".signal");
    std::lock_guard<std::mutex> lock(mutex_);
    signalled_ = true;
    changed_.notify_all();
  }

  void wait() override {
    log_.add(name_ + ".wait");
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return signalled_; });
    log_.add(name_ + ".woke");
  }

 private:
  CallLog& log_;
  std::string name_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool signalled_ = false;
};

}  // namespace

ErrorCode FakeSettingsStore::openMachineEnvironment(std::unique_ptr<SettingsKey>* key) {
  log_.add("settings.open");
  if (openFailure != kNoError) return openFailure;
  *key = std::make_unique<FakeSettingsKey>(log_, *this);
  return kNoError;
}

void FakeLibraryLoader::addLibrary(const std::string& path, std::map<std::string, void*> symbols) {
  libraries_.push_back(std::make_unique<Library>(Library{path, std::move(symbols)}));
}

LibraryHandle FakeLibraryLoader::load(const std::string& path) {
  log_.add("library.load " + path);
  for (auto& library : libraries_) {
    if (library->path == path) return library.get();
  }
  return nullptr;
}

LibraryHandle FakeLibraryLoader::loadByName(const std::string& name) {
  log_.add("library.loadByName " + name);
  for (auto& library : libraries_) {
    if (library->path == name) return library.get();
  }
  return nullptr;
}

void* FakeLibraryLoader::findSymbol(LibraryHandle handle, const char* name) {
  auto* library = static_cast<Library*>(handle);
  log_.add("library.findSymbol " + library->path + " " + name);
  auto found = library->symbols.find(name);
  return found == library->symbols.end() ? nullptr : found->second;
}

void FakeLibraryLoader::unload(LibraryHandle handle) {
  log_.add("library.unload " + static_cast<Library*>(handle)->path);
}

std::unique_ptr<Event> FakeEventFactory::createManualResetEvent() {
  std::string name = "event" + std::to_string(++created_);
  if (failCreation) {
    log_.add(name + ".create failed");
    return nullptr;
  }
  log_.add(name + ".create");
  return std::make_unique<FakeEvent>(log_, name);
}

std::optional<std::string> FakeProcessEnvironment::variable(const char* name) {
  auto found = variables.find(name);
  if (found == variables.end()) return std::nullopt;
  return found->second;
}

void FakeProcessEnvironment::setVariable(const char* name, const std::string& value) {
  log_.add(std::string("environment.set ") + name + "=" + value);
  variables[name] = value;
}

void FakeProcessEnvironment::setCurrentDirectory(const std::string& directory) {
  log_.add("environment.chdir " + directory);
  currentDirectory = directory;
}

std::optional<std::string> FakeSystemMessages::textFor(ErrorCode code) {
  auto found = texts.find(code);
  if (found == texts.end()) return std::nullopt;
  return found->second;
}

void RecordingOutput::write(std::string_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  text_.append(text);
}

std::string RecordingOutput::text() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return text_;
}

}  // namespace platform
