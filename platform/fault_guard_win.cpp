// Win32 backend of the fault guard. GCC has no __try, so a vectored exception
// handler picks out the faults of threads inside a guarded call and lets the
// system resume such a thread at a landing function, which jumps back into
// the guarded frame. Only Win32-specific code here.
#include "platform/fault_guard.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

struct RecoveryPoint {
  void* frame[5];  // __builtin_setjmp's buffer
};

// TLS slot holding the RecoveryPoint of the guarded call the thread is in.
// A slot of the system's own rather than a C++ thread_local, whose emulated
// storage may allocate on first touch, and the handler touches it on every
// thread that faults.
DWORD gRecoverySlot = TLS_OUT_OF_INDEXES;

RecoveryPoint* currentRecoveryPoint() {
  // TlsGetValue clears the thread's last error; the faulting code may still
  // want the one it had.
  DWORD lastError = GetLastError();
  auto* recovery = static_cast<RecoveryPoint*>(TlsGetValue(gRecoverySlot));
  SetLastError(lastError);
  return recovery;
}

bool isProcessorFault(DWORD code) {
  switch (code) {
    case EXCEPTION_ACCESS_VIOLATION:
    case EXCEPTION_IN_PAGE_ERROR:
    case EXCEPTION_DATATYPE_MISALIGNMENT:
    case EXCEPTION_ARRAY_BOUNDS_EXCEEDED:
    case EXCEPTION_ILLEGAL_INSTRUCTION:
    case EXCEPTION_PRIV_INSTRUCTION:
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
    case EXCEPTION_INT_OVERFLOW:
    case EXCEPTION_FLT_DENORMAL_OPERAND:
    case EXCEPTION_FLT_DIVIDE_BY_ZERO:
    case EXCEPTION_FLT_INEXACT_RESULT:
    case EXCEPTION_FLT_INVALID_OPERATION:
    case EXCEPTION_FLT_OVERFLOW:
    case EXCEPTION_FLT_STACK_CHECK:
    case EXCEPTION_FLT_UNDERFLOW:
      return true;
    default:
      // Not a stack overflow: the stack's guard page is used up and the
      // thread cannot safely go on. Not breakpoints, which belong to
      // debuggers, nor software exceptions (C++ throws among them), which
      // the foreign code may raise and handle itself.
      return false;
  }
}

[[noreturn]] void landAfterFault() {
  __builtin_longjmp(currentRecoveryPoint()->frame, 1);
}

// Resuming through the system (rather than jumping out of the handler)
// lets the exception dispatch finish normally; the landing function then
// runs on the faulting thread's stack, below the guarded frame.
LONG CALLBACK onException(EXCEPTION_POINTERS* exception) {
  const EXCEPTION_RECORD* record = exception->ExceptionRecord;
  if (!isProcessorFault(record->ExceptionCode)) return EXCEPTION_CONTINUE_SEARCH;
  if (record->ExceptionFlags & EXCEPTION_NONCONTINUABLE) return EXCEPTION_CONTINUE_SEARCH;
  if (currentRecoveryPoint() == nullptr) return EXCEPTION_CONTINUE_SEARCH;
  CONTEXT* context = exception->ContextRecord;
  constexpr DWORD kDirectionFlag = 0x400;  // compiled code expects it clear
  context->EFlags &= ~kDirectionFlag;
#if defined(__x86_64__)
  // Entered as if called: the stack 16-byte aligned before the return
  // address, well clear of what the faulting code was using.
  context->Rsp = ((context->Rsp - 256) & ~DWORD64{15}) - 8;
  context->Rip = reinterpret_cast<DWORD64>(&landAfterFault);
#elif defined(__i386__)
  context->Esp = ((context->Esp - 256) & ~DWORD{15}) - 4;
  context->Eip = reinterpret_cast<DWORD>(&landAfterFault);
#else
#error "fault guard: unsupported processor"
#endif
  return EXCEPTION_CONTINUE_EXECUTION;
}

// The frame-based handler chain of a 32-bit thread starts at fs:[0] and
// runs through the stack; frames the foreign code registered must not stay
// on it once their stack is abandoned. 64-bit code keeps no such chain.
struct HandlerChain {
#if defined(__i386__)
  void* head = read();
  void restore() const { __asm__ volatile("movl %0, %%fs:0" : : "r"(head) : "memory"); }
  static void* read() {
    void* value;
    __asm__ volatile("movl %%fs:0, %0" : "=r"(value));
    return value;
  }
#else
  void restore() const {}
#endif
};

class VectoredFaultGuard : public FaultGuard {
 public:
  VectoredFaultGuard() {
    gRecoverySlot = TlsAlloc();
    // First in line: faults of a guarded thread are settled before any
    // other handler sees them, frame-based handlers of the foreign code
    // included (vectored handlers always run first); everything else passes
    // straight on.
    if (gRecoverySlot != TLS_OUT_OF_INDEXES) AddVectoredExceptionHandler(1, onException);
  }

  GuardedCallEnd run(void (*body)(void*), void* context) noexcept override {
    if (gRecoverySlot == TLS_OUT_OF_INDEXES) return runUnguarded(body, context);
    RecoveryPoint recovery;
    RecoveryPoint* const outer = static_cast<RecoveryPoint*>(TlsGetValue(gRecoverySlot));
    const HandlerChain handlers;
    if (__builtin_setjmp(recovery.frame) != 0) {
      handlers.restore();
      TlsSetValue(gRecoverySlot, outer);
      return GuardedCallEnd::kFaulted;
    }
    TlsSetValue(gRecoverySlot, &recovery);
    GuardedCallEnd end = runUnguarded(body, context);
    TlsSetValue(gRecoverySlot, outer);
    return end;
  }

 private:
  static GuardedCallEnd runUnguarded(void (*body)(void*), void* context) noexcept {
    try {
      body(context);
    } catch (...) {
      return GuardedCallEnd::kThrew;
    }
    return GuardedCallEnd::kReturned;
  }
};

}  // namespace

FaultGuard& systemFaultGuard() {
  static VectoredFaultGuard guard;
  return guard;
}

}  // namespace platform
