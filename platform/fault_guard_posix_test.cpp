// POSIX specifics of the fault guard: it goes in front of the handlers the
// process already had (in a Java VM, the VM's own) and hands them every
// signal that is not a fault inside a guarded call, as they would have had
// it. The guard is installed once per process, so each scenario runs in a
// fresh process of its own, installs the handlers the guard is to find, and
// exits 0 when everything held, or with the number of the first check that
// failed.
#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/fault_guard.h"

namespace platform {
namespace {

volatile std::uintptr_t gUnmappedAddress = 16;

void faultHere(void* /*context*/) { *reinterpret_cast<volatile int*>(gUnmappedAddress) = 1; }

void raiseBusError(void* /*context*/) { raise(SIGBUS); }

char* gPage = nullptr;
long gPageSize = 0;
volatile sig_atomic_t gHandlerCalls = 0;
volatile sig_atomic_t gLastSignal = 0;
void* volatile gLastAddress = nullptr;

// Like a VM's handler for its implicit null checks: looks at the siginfo,
// mends the cause and returns, so the faulting instruction runs again.
void mendingHandler(int number, siginfo_t* info, void* /*context*/) {
  ++gHandlerCalls;
  gLastSignal = number;
  gLastAddress = info->si_addr;
  mprotect(gPage, static_cast<std::size_t>(gPageSize), PROT_READ | PROT_WRITE);
}

void plainHandler(int number) {
  ++gHandlerCalls;
  gLastSignal = number;
}

void install(int number, void (*handler)(int, siginfo_t*, void*)) {
  struct sigaction action {};
  action.sa_sigaction = handler;
  action.sa_flags = SA_SIGINFO;
  sigaction(number, &action, nullptr);
}

void installPlain(int number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigaction(number, &action, nullptr);
}

[[noreturn]] void previousSiginfoHandlerStillMendsFaultsOutsideGuardedCalls() {
  gPageSize = sysconf(_SC_PAGESIZE);
  gPage = static_cast<char*>(mmap(nullptr, static_cast<std::size_t>(gPageSize), PROT_NONE,
                                  MAP_PRIVATE | MAP_ANONYMOUS, -1, 0));
  install(SIGSEGV, &mendingHandler);
  FaultGuard& guard = systemFaultGuard();

  volatile char* target = gPage + 8;
  *target = 7;  // faults once; the previous handler mends it and the store goes through
  if (gHandlerCalls != 1) _exit(1);
  if (gLastSignal != SIGSEGV) _exit(2);
  if (gLastAddress != gPage + 8) _exit(3);
  if (*target != 7) _exit(4);

  // A fault inside a guarded call is the guard's alone.
  if (guard.run(&faultHere, nullptr) != GuardedCallEnd::kFaulted) _exit(5);
  if (gHandlerCalls != 1) _exit(6);

  // And the previous handler still gets the next fault outside.
  mprotect(gPage, static_cast<std::size_t>(gPageSize), PROT_NONE);
  *target = 9;
  if (gHandlerCalls != 2 || *target != 9) _exit(7);
  _exit(0);
}

[[noreturn]] void previousPlainHandlerGetsSignalsSentBySomeone() {
  installPlain(SIGBUS, &plainHandler);
  FaultGuard& guard = systemFaultGuard();
  raise(SIGBUS);
  if (gHandlerCalls != 1 || gLastSignal != SIGBUS) _exit(1);
  // Sent, not raised by the processor: not the guard's even inside a call,
  // which then goes on and returns.
  if (guard.run(&raiseBusError, nullptr) != GuardedCallEnd::kReturned) _exit(2);
  if (gHandlerCalls != 2) _exit(3);
  _exit(0);
}

[[noreturn]] void defaultActionEndsTheProcessOnAFaultOutside() {
  FaultGuard& guard = systemFaultGuard();
  if (guard.run(&faultHere, nullptr) != GuardedCallEnd::kFaulted) _exit(1);
  faultHere(nullptr);
  _exit(2);
}

[[noreturn]] void defaultActionEndsTheProcessOnASentSignal() {
  systemFaultGuard();
  raise(SIGFPE);
  _exit(1);
}

[[noreturn]] void ignoredSentSignalStaysIgnored() {
  installPlain(SIGBUS, SIG_IGN);
  systemFaultGuard();
  raise(SIGBUS);
  _exit(0);
}

class FaultGuardChainingTest : public ::testing::Test {
 protected:
  // Re-runs the test binary for each scenario, so the guard is new in it.
  void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(FaultGuardChainingTest, PreviousSiginfoHandlerStillMendsFaultsOutsideGuardedCalls) {
  EXPECT_EXIT(previousSiginfoHandlerStillMendsFaultsOutsideGuardedCalls(), ::testing::ExitedWithCode(0), "");
}

TEST_F(FaultGuardChainingTest, PreviousPlainHandlerGetsSignalsSentBySomeone) {
  EXPECT_EXIT(previousPlainHandlerGetsSignalsSentBySomeone(), ::testing::ExitedWithCode(0), "");
}

TEST_F(FaultGuardChainingTest, DefaultActionStillEndsTheProcess) {
  EXPECT_EXIT(defaultActionEndsTheProcessOnAFaultOutside(), ::testing::KilledBySignal(SIGSEGV), "");
  EXPECT_EXIT(defaultActionEndsTheProcessOnASentSignal(), ::testing::KilledBySignal(SIGFPE), "");
}

TEST_F(FaultGuardChainingTest, IgnoredSentSignalStaysIgnored) {
  EXPECT_EXIT(ignoredSentSignalStaysIgnored(), ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace platform
