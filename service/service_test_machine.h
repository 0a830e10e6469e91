// Fakes of everything a service host reaches, wired the way the programs
// wire the system's own, with a fake Java installation at C:\Java whose VM
// records its calls into the same log. Test tool of the service tests.
#ifndef SERVICE_SERVICE_TEST_MACHINE_H
#define SERVICE_SERVICE_TEST_MACHINE_H

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "platform/fake_service_platform.h"
#include "service/service_host.h"
#include "testing/fake_jvm/fake_jvm.h"

namespace service {

// Console output that also goes into the call log as "console <text>", so
// tests see it in order with the calls around it.
class LoggingOutput : public platform::TextOutput {
 public:
  explicit LoggingOutput(platform::CallLog& log) : log_(log) {}
  void write(std::string_view text) override {
    recorded_.write(text);
    log_.add("console " + std::string(text));
  }
  std::string text() const { return recorded_.text(); }

 private:
  platform::CallLog& log_;
  platform::RecordingOutput recorded_;
};

class FakeServiceMachine {
 public:
  static constexpr const char* kVmLibrary = "C:\\Java\\jre\\bin\\client\\jvm.dll";

  FakeServiceMachine() {
    environment.variables["PATH"] = "C:\\Windows";
    messages.texts[platform::kFileNotFound] = "The system cannot find the file specified.\r\n";
    messages.texts[platform::kAccessDenied] = "Access is denied.\r\n";
    messages.texts[platform::kServiceExists] = "The specified service already exists.\r\n";
    messages.texts[platform::kServiceDoesNotExist] = "The specified service does not exist as an installed service.\r\n";
    messages.texts[platform::kServiceMarkedForDelete] = "The specified service has been marked for deletion.\r\n";
    messages.texts[platform::kFailedServiceControllerConnect] =
        "The service process could not connect to the service controller.\r\n";
  }

  ~FakeServiceMachine() {
    threads.joinAll();
    standin::FakeJvm::current() = nullptr;
  }

  // Puts LMG_JAVA_HOME and a VM library that runs `script` in place.
  void installJava(standin::FakeJvmScript script = {}) {
    settings.values["LMG_JAVA_HOME"] = "C:\\Java";
    jvm = std::make_unique<standin::FakeJvm>(script, [this](const std::string& line) { log.add("jvm " + line); });
    standin::FakeJvm::current() = jvm.get();
    loader.addLibrary(kVmLibrary, {{"JNI_CreateJavaVM", reinterpret_cast<void*>(&standin::createCurrentJvm)}});
  }

  ServiceHostPlatform platform() {
    return ServiceHostPlatform{
        {{settings, loader, events, environment, console}, dispatcher, threads},
        {serviceControl, executable, console, messages},
        eventLog,
    };
  }

  // The log entries that begin with one of `prefixes`, in order.
  std::vector<std::string> entriesOf(std::initializer_list<const char*> prefixes) const {
    std::vector<std::string> found;
    for (const std::string& entry : log.entries()) {
      for (const char* prefix : prefixes) {
        if (entry.rfind(prefix, 0) == 0) {
          found.push_back(entry);
          break;
        }
      }
    }
    return found;
  }

  // Position of the first entry equal to `entry`, or -1.
  long positionOf(const std::string& entry) const {
    std::vector<std::string> entries = log.entries();
    auto found = std::find(entries.begin(), entries.end(), entry);
    return found == entries.end() ? -1 : static_cast<long>(found - entries.begin());
  }

  platform::CallLog log;
  platform::FakeSettingsStore settings{log};
  platform::FakeLibraryLoader loader{log};
  platform::FakeEventFactory events{log};
  platform::FakeProcessEnvironment environment{log};
  LoggingOutput console{log};
  platform::FakeSystemMessages messages;
  platform::FakeEventLog eventLog{log};
  platform::FakeServiceControl serviceControl{log};
  platform::FakeServiceDispatcher dispatcher{log};
  platform::FakeRunningExecutable executable;
  platform::FakeThreads threads{log, events};
  std::unique_ptr<standin::FakeJvm> jvm;
};

}  // namespace service

#endif
