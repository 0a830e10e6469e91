#include "service/service_runtime.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "service/event_log_reporter.h"
#include "service/service_test_machine.h"

namespace service {
namespace {

using platform::ErrorCode;
using Texts = std::vector<std::string>;

const std::string kStartPending = "status START_PENDING accepts=0 exit=0 specific=0 checkpoint=1 hint=9000";
const std::string kRunning = "status RUNNING accepts=1 exit=0 specific=0 checkpoint=0 hint=0";
const std::string kStopPending = "status STOP_PENDING accepts=1 exit=0 specific=0 checkpoint=1 hint=3000";
const std::string kStopped = "status STOPPED accepts=1 exit=0 specific=0 checkpoint=0 hint=0";
const std::string kStartedEntry =
    "eventlog.report QuorvelLumagridCollectionServer 4 [Quorvel Lumagrid Collection Server]: has been started "
    "successfully QuorvelLumagridCollectionServer";

// One service run of the collection server on a fake machine; serviceMain
// runs on the dispatcher's thread while the test plays the service control
// manager.
class ServiceRunTest : public ::testing::Test {
 public:
  void start() {
    auto reporter = std::make_shared<EventLogReporter>(
        gathrixProfile().serviceName, gathrixProfile().displayName, gathrixProfile().startedText, machine.eventLog,
        machine.messages);
    runtime = ServiceRuntime::create(gathrixProfile(), reporter, machine.platform().runtime, "C:\\srv");
    dispatched = std::async(std::launch::async, [this] { return runtime->dispatch(); });
  }

  // Waits for the dispatcher to return, as it does once serviceMain has.
  ErrorCode finish() {
    if (dispatched.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
      ADD_FAILURE() << "serviceMain did not return";
      return ~0u;
    }
    return dispatched.get();
  }

  Texts statuses() const { return machine.entriesOf({"status "}); }

  // Whether the log holds each of `entries`, in this order.
  bool inOrder(const Texts& entries) const {
    long previous = -1;
    for (const std::string& entry : entries) {
      long position = machine.positionOf(entry);
      if (position <= previous) {
        ADD_FAILURE() << "out of order or missing: " << entry;
        return false;
      }
      previous = position;
    }
    return true;
  }

  FakeServiceMachine machine;
  std::shared_ptr<ServiceRuntime> runtime;
  std::future<ErrorCode> dispatched;
};

TEST_F(ServiceRunTest, NormalRunReportsEveryStateInOrderAndReleasesTheVmOnStop) {
  machine.installJava();
  start();
  ASSERT_TRUE(machine.log.waitFor("event2.wait"));  // the keep-alive wait
  machine.dispatcher.deliver(platform::kServiceControlInterrogate);
  machine.dispatcher.deliver(platform::kServiceControlStop);
  EXPECT_EQ(finish(), platform::kNoError);
  machine.threads.joinAll();

  EXPECT_EQ(statuses(), (Texts{kStartPending, kRunning, kRunning, kStopPending, kStopped}));
  // Running as soon as the worker exists, before the VM does.
  EXPECT_TRUE(inOrder({"dispatcher.registerHandler QuorvelLumagridCollectionServer", kStartPending,
                       "threads.createEvent", "event1.create", "threads.start", kRunning, "event1.wait"}));
  // The start text once the entry method has returned.
  EXPECT_TRUE(inOrder({"environment.chdir C:\\srv", "jvm CallStaticVoidMethod com/quorvel/vantry/collector/Collector.main arguments=0",
                       "jvm entry returns", kStartedEntry, "event2.create"}));
  // Stop: STOP_PENDING before the signal; the stop event closed and the VM
  // released before STOPPED; the worker tears the VM down on its own.
  EXPECT_TRUE(inOrder({kStopPending, "event1.signal", "event1.woke", "event1.close", "event2.signal", kStopped}));
  EXPECT_TRUE(inOrder({"event2.woke", "jvm DestroyJavaVM", "library.unload " +
                                                                std::string(FakeServiceMachine::kVmLibrary)}));
  EXPECT_EQ(machine.eventLog.entries().size(), 1u);
}

TEST_F(ServiceRunTest, FailedStartStepsReportStoppedWithTheStepsCode) {
  constexpr ErrorCode kInvalidHandle = platform::kInvalidHandle;
  struct Case {
    const char* name;
    void (*script)(FakeServiceMachine&);
    Texts expected;
    bool workerStarted;
  } cases[] = {
      {"handler not registered", [](FakeServiceMachine& m) { m.dispatcher.failHandlerRegistration = true; }, {}, false},
      {"START_PENDING refused",
       [](FakeServiceMachine& m) { m.dispatcher.refuseState[platform::kServiceStartPending] = kInvalidHandle; },
       {kStartPending + " refused 6", "status STOPPED accepts=1 exit=6 specific=0 checkpoint=0 hint=0"}, false},
      {"stop event not created", [](FakeServiceMachine& m) { m.threads.eventFailure = platform::kNotEnoughMemory; },
       {kStartPending, "status STOPPED accepts=1 exit=8 specific=0 checkpoint=0 hint=0"}, false},
      {"worker not started", [](FakeServiceMachine& m) { m.threads.startFailure = 14; },
       {kStartPending, "status STOPPED accepts=1 exit=14 specific=0 checkpoint=0 hint=0"}, false},
      {"RUNNING refused",
       [](FakeServiceMachine& m) { m.dispatcher.refuseState[platform::kServiceRunning] = kInvalidHandle; },
       {kStartPending, kRunning + " refused 6", "status STOPPED accepts=1 exit=6 specific=0 checkpoint=0 hint=0"},
       true},
  };
  for (const Case& c : cases) {
    FakeServiceMachine caseMachine;
    caseMachine.threads.holdThreads = true;
    c.script(caseMachine);
    auto reporter = std::make_shared<EventLogReporter>("QuorvelLumagridCollectionServer",
                                                       "Quorvel Lumagrid Collection Server", "", caseMachine.eventLog,
                                                       caseMachine.messages);
    auto caseRuntime = ServiceRuntime::create(gathrixProfile(), reporter, caseMachine.platform().runtime, "C:\\srv");
    EXPECT_EQ(caseRuntime->dispatch(), platform::kNoError) << c.name;
    Texts afterReturn = caseMachine.entriesOf({"status "});
    EXPECT_EQ(afterReturn, c.expected) << c.name;
    EXPECT_EQ(caseMachine.log.contains("threads.start"), c.workerStarted) << c.name;
    // A worker left to run (here failing without a Java installation) finds
    // the service ended: no report, no signal on the closed event.
    caseMachine.threads.runHeld();
    caseMachine.threads.joinAll();
    EXPECT_EQ(caseMachine.entriesOf({"status "}), afterReturn) << c.name;
    EXPECT_FALSE(caseMachine.log.contains("event1.signal")) << c.name;
  }
}

TEST_F(ServiceRunTest, FailedBootstrapStopsTheServiceWithAServiceSpecificCode) {
  start();  // no Java installation
  EXPECT_EQ(finish(), platform::kNoError);
  machine.threads.joinAll();
  const std::string stoppedByFailure =
      "status STOPPED accepts=1 exit=1066 specific=" + std::to_string(kBootstrapFailedExitCode) +
      " checkpoint=0 hint=0";
  EXPECT_EQ(statuses(), (Texts{kStartPending, kRunning, stoppedByFailure}));
  EXPECT_EQ(machine.entriesOf({"eventlog.report"}),
            Texts{"eventlog.report QuorvelLumagridCollectionServer 1 [Quorvel Lumagrid Collection Server]: Registry "
                  "key not found: 2 - The system cannot find the file specified.\r\n"});
  EXPECT_TRUE(inOrder({"event1.signal", "event1.woke", "event1.close", stoppedByFailure}));

  // A stop that reaches the handler after the ending changes nothing.
  machine.dispatcher.deliver(platform::kServiceControlStop);
  EXPECT_EQ(statuses(), (Texts{kStartPending, kRunning, stoppedByFailure}));
  EXPECT_EQ(machine.entriesOf({"event1.signal"}).size(), 1u);
}

TEST_F(ServiceRunTest, ControlArrivingAsTheServiceStopsItselfNeitherWaitsNorReports) {
  std::thread racingControl;
  // As the STOPPED report begins, a control is under way in the dispatcher.
  machine.dispatcher.beforeReport = [&](const platform::ServiceStatus& status) {
    if (status.currentState != platform::kServiceStopped) return;
    racingControl = std::thread([&] { machine.dispatcher.deliver(platform::kServiceControlInterrogate); });
    EXPECT_TRUE(machine.log.waitFor("dispatcher.control 4"));
  };
  start();  // no Java installation: the worker fails and the service stops itself
  EXPECT_EQ(finish(), platform::kNoError);
  racingControl.join();
  EXPECT_EQ(statuses(), (Texts{kStartPending, kRunning,
                               "status STOPPED accepts=1 exit=1066 specific=" +
                                   std::to_string(kBootstrapFailedExitCode) + " checkpoint=0 hint=0"}));
}

TEST_F(ServiceRunTest, WorkerFailingAfterAStopTouchesNothing) {
  machine.threads.holdThreads = true;
  start();  // no Java installation
  ASSERT_TRUE(machine.log.waitFor(kRunning));
  machine.dispatcher.deliver(platform::kServiceControlStop);
  EXPECT_EQ(finish(), platform::kNoError);
  machine.threads.runHeld();
  machine.threads.joinAll();
  EXPECT_EQ(statuses(), (Texts{kStartPending, kRunning, kStopPending, kStopped}));
  EXPECT_EQ(machine.eventLog.entries().size(), 1u);  // the bootstrap's own report
  EXPECT_EQ(machine.entriesOf({"event1."}),
            (Texts{"event1.create", "event1.wait", "event1.signal", "event1.woke", "event1.close"}));
}

TEST_F(ServiceRunTest, StopWhileTheEntryMethodRunsStopsWithoutTheStartText) {
  standin::FakeJvmScript blocking;
  blocking.entry = standin::FakeJvmScript::Entry::Block;
  machine.installJava(blocking);
  start();
  ASSERT_TRUE(machine.log.waitFor("jvm entry blocks"));
  machine.dispatcher.deliver(platform::kServiceControlStop);
  EXPECT_EQ(finish(), platform::kNoError);
  EXPECT_EQ(statuses(), (Texts{kStartPending, kRunning, kStopPending, kStopped}));
  EXPECT_TRUE(machine.eventLog.entries().empty());
  EXPECT_FALSE(machine.log.contains("event2.create"));

  // Let the worker end, as the process's end would; the remembered release
  // ends its keep-alive wait at once, and the service reports nothing more.
  machine.jvm->unblockEntry();
  machine.threads.joinAll();
  EXPECT_EQ(statuses(), (Texts{kStartPending, kRunning, kStopPending, kStopped}));
}

TEST_F(ServiceRunTest, VmEndingWithoutAStopStopsTheService) {
  machine.installJava();
  machine.threads.holdThreads = true;
  start();
  ASSERT_TRUE(machine.log.waitFor(kRunning));
  // Without a keep-alive event the wait ends at once and the VM is torn down.
  machine.events.failCreation = true;
  machine.threads.runHeld();
  EXPECT_EQ(finish(), platform::kNoError);
  machine.threads.joinAll();
  EXPECT_EQ(statuses(), (Texts{kStartPending, kRunning,
                               "status STOPPED accepts=1 exit=1066 specific=" + std::to_string(kServerEndedExitCode) +
                                   " checkpoint=0 hint=0"}));
  EXPECT_TRUE(machine.log.contains("jvm DestroyJavaVM"));
}

}  // namespace
}  // namespace service
