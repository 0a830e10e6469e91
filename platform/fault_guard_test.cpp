// The system fault guard against real processor faults and C++ exceptions
// raised inside a separately built library (the stand-in tovanex), on the
// host's backend: POSIX natively, Win32 under Wine.
#include "platform/fault_guard.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/library_loader.h"

namespace platform {
namespace {

using ExternalQuery = int(const char*, char*, const char**, std::int32_t*);

ExternalQuery* standInQuery() {
  static ExternalQuery* query = [] {
    const char* path = std::getenv("LMG_TOVANEX");
    if (path == nullptr) return static_cast<ExternalQuery*>(nullptr);
    LibraryHandle library = systemLibraryLoader().load(path);
    if (library == nullptr) return static_cast<ExternalQuery*>(nullptr);
    return reinterpret_cast<ExternalQuery*>(systemLibraryLoader().findSymbol(library, "Query"));
  }();
  return query;
}

struct Call {
  const char* query;
  char result[1024] = {};
  const char* message = nullptr;
  std::int32_t status = 0;
};

void callStandIn(void* context) {
  auto* call = static_cast<Call*>(context);
  standInQuery()(call->query, call->result, &call->message, &call->status);
}

struct Expected {
  const char* query;
  GuardedCallEnd end;
  std::string result;
  std::string message;
};

const Expected kCases[] = {
    {"segv", GuardedCallEnd::kFaulted, "abc", "s"},
    {"fpe", GuardedCallEnd::kFaulted, "abc", "f"},
    {"throw", GuardedCallEnd::kThrew, "abc", "t"},
    {"hello", GuardedCallEnd::kReturned, "hello", "echo"},
};

// Runs every case `rounds` times on the calling thread; the number of
// mismatches.
int runCases(int rounds) {
  int mismatches = 0;
  for (int round = 0; round < rounds; ++round) {
    for (const Expected& expected : kCases) {
      Call call{expected.query};
      GuardedCallEnd end = systemFaultGuard().run(&callStandIn, &call);
      if (end != expected.end || call.result != expected.result || call.message == nullptr ||
          call.message != expected.message) {
        ++mismatches;
      }
    }
  }
  return mismatches;
}

class FaultGuardTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(standInQuery(), nullptr) << "stand-in tovanex (LMG_TOVANEX) not loadable"; }
};

TEST_F(FaultGuardTest, FaultsAndExceptionsInTheLibraryEndOnlyTheCall) {
  for (const Expected& expected : kCases) {
    SCOPED_TRACE(expected.query);
    Call call{expected.query};
    EXPECT_EQ(systemFaultGuard().run(&callStandIn, &call), expected.end);
    EXPECT_EQ(std::string(call.result), expected.result);
    ASSERT_NE(call.message, nullptr);
    EXPECT_EQ(std::string(call.message), expected.message);
  }
}

TEST_F(FaultGuardTest, TheSameThreadCanFaultAgainAndAgain) {
  // Each recovery must leave the thread able to take the next fault.
  EXPECT_EQ(runCases(200), 0);
}

TEST_F(FaultGuardTest, ThreadsFaultingAtOnceEachRecoverTheirOwnCall) {
  constexpr int kThreads = 8;
  std::atomic<int> mismatches{0};
  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&] {
      while (!go.load()) std::this_thread::yield();
      mismatches += runCases(100);
    });
  }
  go = true;
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}

struct Nested {
  GuardedCallEnd inner = GuardedCallEnd::kReturned;
  Call innerCall{"segv"};
  Call outerCall{"fpe"};
};

TEST_F(FaultGuardTest, AnInnerGuardTakesItsOwnFaultAndHandsBackToTheOuterOne) {
  Nested nested;
  GuardedCallEnd outer = systemFaultGuard().run(
      [](void* context) {
        auto* n = static_cast<Nested*>(context);
        n->inner = systemFaultGuard().run(&callStandIn, &n->innerCall);
        // Back in the outer call: its own fault is the outer guard's.
        callStandIn(&n->outerCall);
      },
      &nested);
  EXPECT_EQ(nested.inner, GuardedCallEnd::kFaulted);
  EXPECT_EQ(outer, GuardedCallEnd::kFaulted);
  EXPECT_EQ(std::string(nested.outerCall.message), "f");
}

}  // namespace
}  // namespace platform
