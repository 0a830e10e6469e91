// The service capabilities of the platform seam against the host's backend
// (Win32 under Wine, POSIX natively), and the fakes where they stand in for
// it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/event_log.h"
#include "platform/executable_file.h"
#include "platform/fake_service_platform.h"
#include "platform/service_control.h"
#include "platform/service_dispatcher.h"
#include "platform/threads.h"

namespace platform {
namespace {

struct SystemThreadBackend {
  Threads& threads() { return systemThreads(); }
};
struct FakeThreadBackend {
  CallLog log;
  FakeEventFactory events{log};
  FakeThreads fake{log, events};
  Threads& threads() { return fake; }
};

template <typename Backend>
class ThreadsContractTest : public ::testing::Test {};
using ThreadBackends = ::testing::Types<SystemThreadBackend, FakeThreadBackend>;
TYPED_TEST_SUITE(ThreadsContractTest, ThreadBackends);

TYPED_TEST(ThreadsContractTest, BodyRunsOnAThreadOfItsOwn) {
  TypeParam backend;
  std::unique_ptr<Event> ran;
  ASSERT_EQ(backend.threads().createManualResetEvent(&ran), kNoError);
  ASSERT_NE(ran, nullptr);
  std::atomic<bool> otherThread{false};
  const std::thread::id starter = std::this_thread::get_id();
  Event* signal = ran.get();
  ASSERT_EQ(backend.threads().startThread([&otherThread, starter, signal] {
    otherThread = std::this_thread::get_id() != starter;
    signal->signal();
  }),
            kNoError);
  ran->wait();
  EXPECT_TRUE(otherThread);
}

TEST(RunningExecutableTest, PathNamesThisProgramInsideItsDirectory) {
  std::string path;
  std::string directory;
  ASSERT_EQ(runningExecutable().path(&path), kNoError);
  ASSERT_EQ(runningExecutable().directory(&directory), kNoError);
  EXPECT_NE(path.find("service_platform_test"), std::string::npos) << path;
  ASSERT_LT(directory.size(), path.size());
  EXPECT_EQ(path.compare(0, directory.size(), directory), 0) << path;
  EXPECT_TRUE(path[directory.size()] == '\\' || path[directory.size()] == '/') << path;
}

class NeverCalled : public ServiceMainFunction {
 public:
  void serviceMain(const std::vector<std::string>&) override { ADD_FAILURE() << "not started as a service"; }
};

TEST(ServiceDispatcherTest, ProgramNotStartedAsAServiceCannotConnect) {
  NeverCalled main;
  EXPECT_EQ(systemServiceDispatcher().run("LumagridPlatformTest", main), kFailedServiceControllerConnect);
}

TEST(ServiceControlTest, UnregisteredServiceCannotBeOpened) {
  std::unique_ptr<ServiceManager> manager;
  ErrorCode code = systemServiceControl().openManager(&manager);
  // Either there is no service control manager to reach (POSIX), or it
  // knows no such service.
  if (code == kFailedServiceControllerConnect) return;
  ASSERT_EQ(code, kNoError);
  std::unique_ptr<InstalledService> service;
  EXPECT_EQ(manager->openServiceForDeletion("LumagridNoSuchService", &service), kServiceDoesNotExist);
  EXPECT_EQ(service, nullptr);
}

TEST(EventLogTest, SourceTakesErrorAndInformationEntries) {
  std::unique_ptr<EventSource> source = systemEventLog().registerSource("LumagridPlatformTest");
  ASSERT_NE(source, nullptr);
  EXPECT_TRUE(source->report(EventLogEntryType::Error, "platform test: error entry"));
  EXPECT_TRUE(source->report(EventLogEntryType::Information, "platform test: information entry"));
}

}  // namespace
}  // namespace platform
