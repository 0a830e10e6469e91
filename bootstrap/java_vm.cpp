#include "bootstrap/java_vm.h"

#include <vector>

#include "bootstrap/vm_options.h"

namespace bootstrap {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);

void JavaVmInstance::release() {
  std::lock_guard<std::mutex> lock(releaseMutex_);
  released_ = true;
  if (published_ != nullptr) published_->signal();
}

bool JavaVmInstance::publishKeepAlive(platform::Event* event) {
  std::lock_guard<std::mutex> lock(releaseMutex_);
  published_ = event;
  return released_;
}

void JavaVmInstance::withdrawKeepAlive() {
  std::lock_guard<std::mutex> lock(releaseMutex_);
  published_ = nullptr;
}

// One run of the launch sequence; every step that can stop the launch
// returns false after making its one report.
class Bootstrap {
 public:
  Bootstrap(const LaunchProfile& profile, const LaunchRequest& request, MessageSink& sink,
            JavaVmInstance& instance, const BootstrapPlatform& platform)
      : profile_(profile), request_(request), sink_(sink), instance_(instance), platform_(platform) {}

  BootstrapResult run() {
    if (profile_.workingDirectory == WorkingDirectory::ExeDirectory) {
      platform_.environment.setCurrentDirectory(request_.exeDirectory);
    }
    applyPathPrefix(profile_, platform_.environment);
    VmOptionList options = buildVmOptions(profile_, request_, platform_.console, platform_.environment);

    std::string javaHome;
    if (!readJavaHome(&javaHome) || !loadVmLibrary(javaHome) || !createVm(options)) return fail();
    jclass entryClass = instance_.env_->FindClass(profile_.entryClass.c_str());
    if (entryClass == nullptr) {
      sink_.reportError(fillPlaces(profile_.classFailureText, profile_.entryClass));
      return fail();
    }
    jmethodID entryMethod =
        instance_.env_->GetStaticMethodID(entryClass, profile_.entryMethod.c_str(), kEntrySignature);
    if (entryMethod == nullptr) {
      sink_.reportError(methodFailureText());
      return fail();
    }
    // A Java exception thrown by the entry method is left to the VM: the
    // launch goes on as after a normal return.
    instance_.env_->CallStaticVoidMethod(entryClass, entryMethod, entryArguments());
    sink_.reportStarted();
    keepAlive();
    if (profile_.tearDownAfterRelease) tearDown();
    return BootstrapResult::Released;
  }

 private:
  bool readJavaHome(std::string* javaHome) {
    std::unique_ptr<platform::SettingsKey> key;
    platform::ErrorCode code = platform_.settings.openMachineEnvironment(&key);
    if (code != platform::kNoError) {
      sink_.reportSystemError(kKeyNotOpenedText, code);
      return false;
    }
    code = key->readText(kJavaHomeValueName, kJavaHomeBufferSize, javaHome);
    if (code != platform::kNoError) {
      sink_.reportSystemError(kValueNotReadText, code);
      return false;
    }
    return true;
  }

  bool loadVmLibrary(const std::string& javaHome) {
    // The classic and client VMs of a Java 1.x installation first; the
    // directory text is used unchanged, a trailing backslash included.
    std::vector<std::string> candidates = {javaHome + "\\jre\\bin\\classic\\jvm.dll",
                                           javaHome + "\\jre\\bin\\client\\jvm.dll"};
    for (const std::string& layout : platform_.libraries.modernVmLibraryLayouts()) {
      candidates.push_back(javaHome + "\\" + layout);
    }
    for (const std::string& candidate : candidates) {
      instance_.library_ = platform_.libraries.load(candidate);
      if (instance_.library_ != nullptr) return true;
    }
    sink_.reportError(kVmNotLoadedText);
    return false;
  }

  bool createVm(VmOptionList& options) {
    auto create = reinterpret_cast<CreateJavaVmFunction>(
        platform_.libraries.findSymbol(instance_.library_, "JNI_CreateJavaVM"));
    if (create == nullptr) {
      sink_.reportError(kVmNotStartedText);
      return false;
    }
    JavaVMInitArgs args;
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(options.size());
    args.options = options.javaOptions();
    args.ignoreUnrecognized = JNI_TRUE;
    JavaVM* vm = nullptr;
    void* env = nullptr;
    if (create(&vm, &env, &args) != JNI_OK) {
      sink_.reportError(kVmNotStartedText);
      return false;
    }
    instance_.vm_ = vm;
    instance_.env_ = static_cast<JNIEnv*>(env);
    return true;
  }

  std::string methodFailureText() const {
    if (profile_.methodFailureText) return *profile_.methodFailureText;
    return "Unable to locate the [" + profile_.entryMethod + "] method";
  }

  jobjectArray entryArguments() {
    JNIEnv* env = instance_.env_;
    jstring empty = env->NewStringUTF("");
    jclass stringClass = env->FindClass("java/lang/String");
    std::size_t count = 0;
    if (profile_.argumentMode == ArgumentMode::CommandLineWords && !request_.words.empty()) {
      count = request_.words.size() - 1;
    }
    jobjectArray array = env->NewObjectArray(static_cast<jsize>(count), stringClass, empty);
    for (std::size_t i = 0; i < count; ++i) {
      env->SetObjectArrayElement(array, static_cast<jsize>(i), env->NewStringUTF(request_.words[i + 1].c_str()));
    }
    return array;
  }

  void keepAlive() {
    // Without an event the wait ends at once, as after a release.
    instance_.keepAlive_ = platform_.events.createManualResetEvent();
    if (!instance_.keepAlive_) return;
    if (instance_.publishKeepAlive(instance_.keepAlive_.get())) instance_.keepAlive_->signal();
    instance_.keepAlive_->wait();
  }

  BootstrapResult fail() {
    tearDown();
    return BootstrapResult::Failed;
  }

  // Keep-alive event, VM, VM library: each only when it was acquired.
  void tearDown() {
    if (instance_.keepAlive_) {
      instance_.withdrawKeepAlive();
      instance_.keepAlive_.reset();
    }
    if (instance_.vm_ != nullptr) {
      instance_.vm_->DestroyJavaVM();
      instance_.vm_ = nullptr;
    }
    instance_.env_ = nullptr;
    if (instance_.library_ != nullptr) {
      platform_.libraries.unload(instance_.library_);
      instance_.library_ = nullptr;
    }
  }

  const LaunchProfile& profile_;
  const LaunchRequest& request_;
  MessageSink& sink_;
  JavaVmInstance& instance_;
  const BootstrapPlatform& platform_;
};

BootstrapResult runBootstrap(const LaunchProfile& profile, const LaunchRequest& request, MessageSink& sink,
                             JavaVmInstance& instance, const BootstrapPlatform& platform) {
  return Bootstrap(profile, request, sink, instance, platform).run();
}

}  // namespace bootstrap
