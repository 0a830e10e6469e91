// Running a call into foreign code so that a processor fault or a C++
// exception inside it ends only that call, not the process.
#ifndef PLATFORM_FAULT_GUARD_H
#define PLATFORM_FAULT_GUARD_H

namespace platform {

// How a guarded call ended.
enum class GuardedCallEnd {
  kReturned,  // the body returned normally
  kFaulted,   // a processor fault on the calling thread cut the body short
  kThrew,     // a C++ exception left the body and was dropped here
};

class FaultGuard {
 public:
  virtual ~FaultGuard() = default;

  // Runs `body(context)` on the calling thread and returns how it ended.
  // Only faults raised on this thread while `body` runs are caught (access
  // violation, misaligned or unmapped access, division by zero and their
  // kin); the frames of `body` are then abandoned without any unwinding, so
  // `body` must own nothing that needs cleaning up. Faults anywhere else go
  // wherever they went before the guard existed. Calls may nest and may run
  // on any number of threads at once. Costs no system call.
  virtual GuardedCallEnd run(void (*body)(void* context), void* context) noexcept = 0;
};

// The process's one guard; the first call installs it, and it is never
// uninstalled.
FaultGuard& systemFaultGuard();

}  // namespace platform

#endif
