#include "bootstrap/java_vm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <future>
#include <thread>

#include "bootstrap/profile_values.h"
#include "platform/fake_platform.h"
#include "testing/fake_jvm/fake_jvm.h"

namespace bootstrap {
namespace {

using Texts = std::vector<std::string>;

class RecordingSink : public MessageSink {
 public:
  explicit RecordingSink(platform::CallLog& log) : log_(log) {}
  void reportError(const std::string& text) override { log_.add("sink.reportError " + text); }
  void reportSystemError(const std::string& text, platform::ErrorCode code) override {
    log_.add("sink.reportSystemError " + text + " " + std::to_string(code));
  }
  void reportStarted() override { log_.add("sink.reportStarted"); }

 private:
  platform::CallLog& log_;
};

LaunchProfile testProfile(bool service) {
  return LaunchProfile{"com/example/Entry",
                       "main",
                       "app.jar",
                       "-Djava.class.path=%s",
                       ClassPathSource::ProfileClassPath,
                       fiveOptionTemplate(),
                       std::string(kConsolePathPrefix),
                       service ? WorkingDirectory::ExeDirectory : WorkingDirectory::Unchanged,
                       service ? ArgumentMode::NoArguments : ArgumentMode::CommandLineWords,
                       !service,
                       !service,
                       "Unable to load the %s class\n",
                       std::string("Unable to locate the [main] method"),
                       /*tearDownAfterRelease=*/service};
}

class JavaVmTest : public ::testing::Test {
 public:
  static constexpr const char* kHome = "C:\\Java";

  JavaVmTest() {
    settings.values[kJavaHomeValueName] = kHome;
    environment.variables["PATH"] = "C:\\A";
  }
  ~JavaVmTest() override { standin::FakeJvm::current() = nullptr; }

  void installVm(const std::string& path, standin::FakeJvmScript script = {},
                 void* create = reinterpret_cast<void*>(&standin::createCurrentJvm)) {
    jvm = std::make_unique<standin::FakeJvm>(script, [this](const std::string& line) { log.add("jvm " + line); });
    standin::FakeJvm::current() = jvm.get();
    std::map<std::string, void*> symbols;
    if (create != nullptr) symbols["JNI_CreateJavaVM"] = create;
    loader.addLibrary(path, symbols);
  }

  BootstrapResult run(const LaunchProfile& profile, const LaunchRequest& request) {
    return runBootstrap(profile, request, sink, instance, platform);
  }

  // Runs the bootstrap on a thread of its own, as a service worker does.
  std::future<BootstrapResult> start(const LaunchProfile& profile, LaunchRequest request) {
    ownedRequest = std::move(request);
    return std::async(std::launch::async, [this, profile] { return run(profile, ownedRequest); });
  }

  Texts reports() const {
    Texts found;
    for (const std::string& entry : log.entries()) {
      if (entry.rfind("sink.", 0) == 0) found.push_back(entry);
    }
    return found;
  }

  // The entries from the first that begins with `first`, keeping only those
  // that begin with one of `kinds`.
  Texts entriesOf(std::initializer_list<const char*> kinds) const {
    Texts found;
    for (const std::string& entry : log.entries()) {
      for (const char* kind : kinds) {
        if (entry.rfind(kind, 0) == 0) found.push_back(entry);
      }
    }
    return found;
  }

  platform::CallLog log;
  platform::FakeSettingsStore settings{log};
  platform::FakeLibraryLoader loader{log};
  platform::FakeEventFactory events{log};
  platform::FakeProcessEnvironment environment{log};
  platform::RecordingOutput console;
  RecordingSink sink{log};
  BootstrapPlatform platform{settings, loader, events, environment, console};
  JavaVmInstance instance;
  std::unique_ptr<standin::FakeJvm> jvm;
  LaunchRequest ownedRequest;
};

TEST_F(JavaVmTest, ConsoleLaunchRunsEveryStepInOrderAndWaits) {
  installVm("C:\\Java\\jre\\bin\\client\\jvm.dll");
  LaunchRequest request;
  request.words = {"collector", "debug", "-Xmx256m", "run"};
  request.debug = true;
  auto result = start(testProfile(false), request);
  ASSERT_TRUE(log.waitFor("event1.wait"));

  Texts expected = {
      "environment.set PATH=..\\..\\Orvex;C:\\A",
      "settings.open",
      "settings.read LMG_JAVA_HOME 1000",
      "settings.close",
      "library.load C:\\Java\\jre\\bin\\classic\\jvm.dll",
      "library.load C:\\Java\\jre\\bin\\client\\jvm.dll",
      "library.findSymbol C:\\Java\\jre\\bin\\client\\jvm.dll JNI_CreateJavaVM",
      "jvm JNI_CreateJavaVM version=0x10002 nOptions=8 ignoreUnrecognized=1",
      "jvm option -Djava.class.path=app.jar",
      "jvm option -Djava.compiler=NONE",
      "jvm option -Djava.library.path=.;..\\..\\Common;..\\..\\Orvex",
      "jvm option -Xrs",
      "jvm option -Dsun.java2d.noddraw=true",
      "jvm option -Xdebug",
      "jvm option -Xrunjdwp:transport=dt_socket,address=3223,server=y,suspend=n",
      "jvm option -Xmx256m",
      "jvm FindClass com/example/Entry",
      "jvm GetStaticMethodID com/example/Entry main ([Ljava/lang/String;)V",
      "jvm NewStringUTF ",
      "jvm FindClass java/lang/String",
      "jvm NewObjectArray 3 java/lang/String initial=\"\"",
      "jvm NewStringUTF debug",
      "jvm SetObjectArrayElement 0",
      "jvm NewStringUTF -Xmx256m",
      "jvm SetObjectArrayElement 1",
      "jvm NewStringUTF run",
      "jvm SetObjectArrayElement 2",
      "jvm CallStaticVoidMethod com/example/Entry.main arguments=3",
      "jvm argument 0 debug",
      "jvm argument 1 -Xmx256m",
      "jvm argument 2 run",
      "jvm entry returns",
      "sink.reportStarted",
      "event1.create",
      "event1.wait",
  };
  EXPECT_EQ(log.entries(), expected);

  // A console profile keeps its VM after the release.
  instance.release();
  EXPECT_EQ(result.get(), BootstrapResult::Released);
  EXPECT_FALSE(log.contains("jvm DestroyJavaVM"));
  EXPECT_FALSE(log.contains("event1.close"));
}

TEST_F(JavaVmTest, ServiceLaunchPassesAnEmptyArrayAndTearsDownAfterRelease) {
  installVm("C:\\Java\\jre\\bin\\classic\\jvm.dll");
  LaunchRequest request;
  request.exeDirectory = "C:\\Server";
  auto result = start(testProfile(true), request);
  ASSERT_TRUE(log.waitFor("event1.wait"));
  EXPECT_EQ(log.entries().front(), "environment.chdir C:\\Server");
  EXPECT_TRUE(log.contains("jvm NewObjectArray 0 java/lang/String initial=\"\""));
  EXPECT_TRUE(log.contains("jvm CallStaticVoidMethod com/example/Entry.main arguments=0"));

  instance.release();
  EXPECT_EQ(result.get(), BootstrapResult::Released);
  EXPECT_EQ(entriesOf({"event1.", "jvm DestroyJavaVM", "library.unload"}),
            (Texts{"event1.create", "event1.wait", "event1.signal", "event1.woke", "event1.close",
                   "jvm DestroyJavaVM", "library.unload C:\\Java\\jre\\bin\\classic\\jvm.dll"}));
}

struct FailureCase {
  const char* name;
  std::function<void(JavaVmTest&)> arrange;
  std::string report;
  Texts teardown;
};

class JavaVmFailureTest : public JavaVmTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(JavaVmFailureTest, ReportsOnceAndUndoesWhatWasAcquired) {
  const FailureCase& c = GetParam();
  c.arrange(*this);
  LaunchRequest request;
  request.words = {"collector"};
  EXPECT_EQ(run(testProfile(false), request), BootstrapResult::Failed);
  EXPECT_EQ(reports(), Texts{c.report});
  EXPECT_EQ(entriesOf({"jvm DestroyJavaVM", "library.unload", "event"}), c.teardown);
}

const char kClient[] = "C:\\Java\\jre\\bin\\client\\jvm.dll";

INSTANTIATE_TEST_SUITE_P(
    EveryFailureRow, JavaVmFailureTest,
    ::testing::Values(
        FailureCase{"KeyNotOpened", [](JavaVmTest& t) { t.settings.openFailure = platform::kAccessDenied; },
                    "sink.reportSystemError HKLM\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment "
                    "Registry key not found 5",
                    {}},
        FailureCase{"ValueMissing", [](JavaVmTest& t) { t.settings.values.clear(); },
                    "sink.reportSystemError Registry key not found 2", {}},
        FailureCase{"ValueTooLong",
                    [](JavaVmTest& t) { t.settings.values[kJavaHomeValueName] = std::string(1000, 'j'); },
                    "sink.reportSystemError Registry key not found 234", {}},
        FailureCase{"ValueUnreadable", [](JavaVmTest& t) { t.settings.readFailure = platform::kInvalidData; },
                    "sink.reportSystemError Registry key not found 13", {}},
        FailureCase{"NoVmLibrary", [](JavaVmTest&) {}, "sink.reportError Unable to load the JVM", {}},
        FailureCase{"NoCreateExport", [](JavaVmTest& t) { t.installVm(kClient, {}, nullptr); },
                    "sink.reportError Unable to start the JVM", {std::string("library.unload ") + kClient}},
        FailureCase{"CreateFails",
                    [](JavaVmTest& t) { t.installVm(kClient, standin::parseScript("fail-create")); },
                    "sink.reportError Unable to start the JVM", {std::string("library.unload ") + kClient}},
        FailureCase{"NoEntryClass",
                    [](JavaVmTest& t) { t.installVm(kClient, standin::parseScript("no-class")); },
                    "sink.reportError Unable to load the com/example/Entry class\n",
                    {"jvm DestroyJavaVM with pending exception", std::string("library.unload ") + kClient}},
        FailureCase{"NoEntryMethod",
                    [](JavaVmTest& t) { t.installVm(kClient, standin::parseScript("no-method")); },
                    "sink.reportError Unable to locate the [main] method",
                    {"jvm DestroyJavaVM with pending exception", std::string("library.unload ") + kClient}}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return std::string(info.param.name); });

TEST_F(JavaVmTest, EveryVmLibraryCandidateIsTriedInOrderBeforeGivingUp) {
  LaunchRequest request;
  EXPECT_EQ(run(testProfile(false), request), BootstrapResult::Failed);
  Texts expected = {"library.load C:\\Java\\jre\\bin\\classic\\jvm.dll",
                    "library.load C:\\Java\\jre\\bin\\client\\jvm.dll"};
  for (const std::string& layout : loader.modernLayouts) {
    expected.push_back("library.load C:\\Java\\" + layout);
  }
  EXPECT_EQ(entriesOf({"library."}), expected);
}

TEST_F(JavaVmTest, ModernLayoutLoadsAfterTheClassicOnesFailSilently) {
  const std::string modern = std::string(kHome) + "\\" + loader.modernLayouts.front();
  installVm(modern);
  auto result = start(testProfile(true), LaunchRequest{});
  ASSERT_TRUE(log.waitFor("event1.wait"));
  EXPECT_EQ(reports(), Texts{"sink.reportStarted"});
  instance.release();
  EXPECT_EQ(result.get(), BootstrapResult::Released);
  EXPECT_TRUE(log.contains("library.unload " + modern));
}

TEST_F(JavaVmTest, TrailingBackslashOfTheJavaHomeIsKept) {
  settings.values[kJavaHomeValueName] = "C:\\Java\\";
  run(testProfile(false), LaunchRequest{});
  EXPECT_EQ(entriesOf({"library."}).front(), "library.load C:\\Java\\\\jre\\bin\\classic\\jvm.dll");
}

TEST_F(JavaVmTest, ThrowingEntryMethodStillCountsAsStarted) {
  standin::FakeJvmScript script;
  script.entry = standin::FakeJvmScript::Entry::Throw;
  installVm(kClient, script);
  auto result = start(testProfile(true), LaunchRequest{});
  ASSERT_TRUE(log.waitFor("event1.wait"));
  EXPECT_EQ(reports(), Texts{"sink.reportStarted"});
  instance.release();
  EXPECT_EQ(result.get(), BootstrapResult::Released);
}

TEST_F(JavaVmTest, ReleaseBeforeTheKeepAliveEventExistsIsRemembered) {
  standin::FakeJvmScript script;
  script.entry = standin::FakeJvmScript::Entry::Block;
  installVm(kClient, script);
  auto result = start(testProfile(true), LaunchRequest{});
  ASSERT_TRUE(log.waitFor("jvm entry blocks"));
  instance.release();
  EXPECT_FALSE(log.contains("sink.reportStarted"));
  EXPECT_FALSE(log.contains("event1.create"));

  jvm->unblockEntry();
  ASSERT_EQ(result.wait_for(std::chrono::seconds(20)), std::future_status::ready);
  EXPECT_EQ(result.get(), BootstrapResult::Released);
  EXPECT_EQ(entriesOf({"event1.", "jvm DestroyJavaVM"}),
            (Texts{"event1.create", "event1.signal", "event1.wait", "event1.woke", "event1.close",
                   "jvm DestroyJavaVM"}));
}

TEST_F(JavaVmTest, MissingKeepAliveEventEndsTheWaitAtOnce) {
  installVm(kClient);
  events.failCreation = true;
  EXPECT_EQ(run(testProfile(false), LaunchRequest{}), BootstrapResult::Released);
  EXPECT_EQ(reports(), Texts{"sink.reportStarted"});
  instance.release();  // nothing left to signal
  EXPECT_FALSE(log.contains("event1.signal"));
}

}  // namespace
}  // namespace bootstrap
