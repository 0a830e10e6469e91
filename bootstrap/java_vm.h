// The Java VM lifecycle of a launcher: find the Java installation, load and
// create the VM, call the entry method, keep the process alive until
// released, and tear down.
#ifndef BOOTSTRAP_JAVA_VM_H
#define BOOTSTRAP_JAVA_VM_H

#include <jni.h>

#include <memory>
#include <mutex>
#include <string>

#include "bootstrap/launch_profile.h"
#include "platform/error_code.h"
#include "platform/library_loader.h"
#include "platform/process_environment.h"
#include "platform/settings_store.h"
#include "platform/sync_event.h"
#include "platform/text_output.h"

namespace bootstrap {

// Where the bootstrap reports. A failed launch makes exactly one report.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual void reportError(const std::string& text) = 0;
  virtual void reportSystemError(const std::string& text, platform::ErrorCode code) = 0;
  // The entry method has returned.
  virtual void reportStarted() = 0;
};

enum class BootstrapResult { Failed, Released };

// The operating-system services the bootstrap uses.
struct BootstrapPlatform {
  platform::SettingsStore& settings;
  platform::LibraryLoader& libraries;
  platform::EventFactory& events;
  platform::ProcessEnvironment& environment;
  platform::TextOutput& console;  // for the option overflow lines
};

inline constexpr const char kJavaHomeValueName[] = "LMG_JAVA_HOME";
inline constexpr std::size_t kJavaHomeBufferSize = 1000;
inline constexpr const char kKeyNotOpenedText[] =
    "HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment Registry key not found";
inline constexpr const char kValueNotReadText[] = "Registry key not found";
inline constexpr const char kVmNotLoadedText[] = "Unable to load the JVM";
inline constexpr const char kVmNotStartedText[] = "Unable to start the JVM";
inline constexpr const char kEntrySignature[] = "([Ljava/lang/String;)V";

// The one loaded and created Java VM of a process.
class JavaVmInstance {
 public:
  JavaVmInstance() = default;
  JavaVmInstance(const JavaVmInstance&) = delete;
  JavaVmInstance& operator=(const JavaVmInstance&) = delete;

  // Ends the keep-alive wait. Callable from any thread, before or during
  // the wait: a release that comes before the wait begins is remembered, so
  // the wait then ends at once.
  void release();

 private:
  friend class Bootstrap;
  // Publishes the keep-alive event and reports whether a release came
  // first.
  bool publishKeepAlive(platform::Event* event);
  // Withdraws the event before it is closed; release never touches a closed
  // event.
  void withdrawKeepAlive();

  platform::LibraryHandle library_ = nullptr;
  JavaVM* vm_ = nullptr;
  JNIEnv* env_ = nullptr;
  std::unique_ptr<platform::Event> keepAlive_;
  std::mutex releaseMutex_;
  platform::Event* published_ = nullptr;
  bool released_ = false;
};

// Runs one launch on the calling thread. Returns Failed after a failure,
// with its one report made and the teardown done; returns Released once
// the keep-alive wait has ended, torn down when the profile says so.
BootstrapResult runBootstrap(const LaunchProfile& profile, const LaunchRequest& request, MessageSink& sink,
                             JavaVmInstance& instance, const BootstrapPlatform& platform);

}  // namespace bootstrap

#endif
