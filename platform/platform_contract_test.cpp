// The contract of the platform seam, run against the backend of the host
// (Win32 under Wine, POSIX natively) and, where they stand in for it, the
// fakes.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/fake_platform.h"
#include "platform/library_loader.h"
#include "platform/process_environment.h"
#include "platform/sync_event.h"
#include "platform/system_message.h"

namespace platform {
namespace {

template <typename Factory>
class EventContractTest : public ::testing::Test {};

struct SystemEvents {
  EventFactory& factory() { return systemEventFactory(); }
};
struct FakeEvents {
  CallLog log;
  FakeEventFactory fake{log};
  EventFactory& factory() { return fake; }
};
using EventBackends = ::testing::Types<SystemEvents, FakeEvents>;
TYPED_TEST_SUITE(EventContractTest, EventBackends);

TYPED_TEST(EventContractTest, WaitEndsOnceAnotherThreadSignals) {
  TypeParam backend;
  std::unique_ptr<Event> event = backend.factory().createManualResetEvent();
  ASSERT_NE(event, nullptr);
  std::atomic<bool> woke{false};
  std::thread waiter([&] {
    event->wait();
    woke = true;
  });
  event->signal();
  waiter.join();
  EXPECT_TRUE(woke);
  // Manual reset: it stays signalled.
  event->wait();
}

TEST(LibraryLoaderTest, MissingLibraryGivesNull) {
  LibraryLoader& loader = systemLibraryLoader();
  EXPECT_EQ(loader.load("no\\such\\directory\\nothing.dll"), nullptr);
  EXPECT_EQ(loader.loadByName("no-such-library-anywhere"), nullptr);
}

TEST(ProcessEnvironmentTest, VariablesRoundTrip) {
  ProcessEnvironment& environment = systemProcessEnvironment();
  environment.setVariable("LMG_PLATFORM_TEST", "a;b");
  EXPECT_EQ(environment.variable("LMG_PLATFORM_TEST"), std::optional<std::string>("a;b"));
  EXPECT_EQ(environment.variable("LMG_PLATFORM_TEST_UNSET"), std::nullopt);
}

TEST(SystemMessagesTest, KnownCodesHaveTextsWithTheirOwnLineEnd) {
  for (ErrorCode code : {kFileNotFound, kAccessDenied, kMoreData, kServiceDoesNotExist,
                         kFailedServiceControllerConnect, kServiceExists}) {
    std::optional<std::string> text = systemMessages().textFor(code);
    ASSERT_TRUE(text.has_value()) << code;
    EXPECT_GT(text->size(), 2u) << code;
    EXPECT_EQ(text->back(), '\n') << code;
  }
}

TEST(SystemMessagesTest, UnknownCodeHasNoText) {
  EXPECT_EQ(systemMessages().textFor(0x2000FFFFu), std::nullopt);
}

}  // namespace
}  // namespace platform
