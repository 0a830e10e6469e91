// POSIX backend of the fault guard: handlers for the fault signals chained in
// front of the ones the process already had (in a Java VM, the VM's own),
// and a jump back into the guarded frame. Only POSIX-specific code here.
#include <pthread.h>
#include <setjmp.h>
#include <signal.h>
#include <ucontext.h>

#include "platform/fault_guard.h"

namespace platform {
namespace {

constexpr int kFaultSignals[] = {SIGSEGV, SIGBUS, SIGFPE};
constexpr int kFaultSignalCount = sizeof kFaultSignals / sizeof kFaultSignals[0];

struct RecoveryPoint {
  sigjmp_buf frame;
};

// The guarded call the thread is in, if any. Read inside the signal handler,
// so it must never need the lazy allocation that dynamic TLS of a library
// opened at run time may do on first touch: initial-exec places it in the
// static TLS block (a library opened later takes it from the reserve the
// loader keeps for that).
thread_local RecoveryPoint* tRecoveryPoint __attribute__((tls_model("initial-exec"))) = nullptr;

// What each fault signal did before the guard was installed. Written once,
// before the guard's handler can run.
struct sigaction gPreviousActions[kFaultSignalCount];

int slotOf(int number) {
  for (int slot = 0; slot < kFaultSignalCount; ++slot) {
    if (kFaultSignals[slot] == number) return slot;
  }
  return 0;
}

// Hands the signal on exactly as the previous disposition would have taken
// it, on the same siginfo and context, so that a handler which repairs the
// context (a Java VM's null checks and safepoint polls) still works.
void forwardToPrevious(int number, siginfo_t* info, void* context) {
  const struct sigaction& previous = gPreviousActions[slotOf(number)];
  const bool raisedByFault = info != nullptr && info->si_code > 0;
  if (previous.sa_handler == SIG_IGN && !raisedByFault) return;
  if (previous.sa_handler == SIG_DFL || previous.sa_handler == SIG_IGN) {
    // The kernel applies the default action to a fault whose signal is
    // ignored, so both dispositions end the same way. A fault recurs once
    // the handler returns and then meets the default action; a signal sent
    // by someone is sent again, and arrives once this handler has returned.
    signal(number, SIG_DFL);
    if (!raisedByFault) raise(number);
    return;
  }
  if (previous.sa_flags & SA_SIGINFO) {
    previous.sa_sigaction(number, info, context);
  } else {
    previous.sa_handler(number);
  }
}

void onFaultSignal(int number, siginfo_t* info, void* context) {
  RecoveryPoint* recovery = tRecoveryPoint;
  // Only a fault the processor raised on a thread inside a guarded call is
  // ours; the same signal sent with kill() is not.
  if (recovery != nullptr && info != nullptr && info->si_code > 0) {
    // The frame was saved without its signal mask (saving it costs a system
    // call per guarded call); restore the mask this signal interrupted.
    pthread_sigmask(SIG_SETMASK, &static_cast<ucontext_t*>(context)->uc_sigmask, nullptr);
    siglongjmp(recovery->frame, 1);
  }
  forwardToPrevious(number, info, context);
}

class SignalFaultGuard : public FaultGuard {
 public:
  SignalFaultGuard() {
    for (int slot = 0; slot < kFaultSignalCount; ++slot) {
      struct sigaction& previous = gPreviousActions[slot];
      sigaction(kFaultSignals[slot], nullptr, &previous);
      struct sigaction action {};
      action.sa_sigaction = onFaultSignal;
      // The previous handler, when forwarded to, runs with the signals
      // blocked that it asked for and on the stack it asked for.
      action.sa_mask = previous.sa_mask;
      action.sa_flags = SA_SIGINFO | (previous.sa_flags & (SA_ONSTACK | SA_RESTART | SA_NODEFER));
      sigaction(kFaultSignals[slot], &action, nullptr);
    }
  }

  GuardedCallEnd run(void (*body)(void*), void* context) noexcept override {
    RecoveryPoint recovery;
    RecoveryPoint* const outer = tRecoveryPoint;
    if (sigsetjmp(recovery.frame, 0) != 0) {
      tRecoveryPoint = outer;
      return GuardedCallEnd::kFaulted;
    }
    tRecoveryPoint = &recovery;
    GuardedCallEnd end = GuardedCallEnd::kReturned;
    try {
      body(context);
    } catch (...) {
      end = GuardedCallEnd::kThrew;
    }
    tRecoveryPoint = outer;
    return end;
  }
};

}  // namespace

FaultGuard& systemFaultGuard() {
  static SignalFaultGuard guard;
  return guard;
}

}  // namespace platform
