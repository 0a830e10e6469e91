// The query bridge. Portable: it reaches the system only through the
// platform seam and the JNIEnv it is handed.
#include "querybridge/query_bridge.h"

namespace querybridge {
namespace {

constexpr char kLibraryName[] = "tovanex";
constexpr char kFunctionName[] = "Query";

struct ExternalCall {
  ExternalQuery* function;
  const char* query;
  char* result;
  const char** message;
  std::int32_t* status;
};

void callExternal(void* context) {
  auto* call = static_cast<ExternalCall*>(context);
  call->function(call->query, call->result, call->message, call->status);
}

// Both strings are made before either element is stored, in this order.
void fillResults(JNIEnv* env, jobjectArray results, const char* first, const char* second) {
  jstring firstText = env->NewStringUTF(first);
  jstring secondText = env->NewStringUTF(second);
  env->SetObjectArrayElement(results, 0, firstText);
  env->SetObjectArrayElement(results, 1, secondText);
}

}  // namespace

void QueryBridge::query(JNIEnv* env, jstring query, jobjectArray results) {
  const char* queryText = env->GetStringUTFChars(query, nullptr);

  // The external function may fill all 1024 bytes without a terminator; the
  // extra byte past its reach ends the text there, so the result is read
  // no further than the buffer. A function that writes nothing leaves the
  // empty text rather than whatever the stack held.
  char buffer[kResultBufferSize + 1];
  buffer[0] = '\0';
  const char* message = nullptr;
  std::int32_t status = 0;

  ExternalQuery* function = function_.load(std::memory_order_acquire);
  const char* failure = nullptr;
  if (function == nullptr) function = setUp(&failure);

  if (function == nullptr) {
    fillResults(env, results, kFailureMarker, failure);
  } else {
    ExternalCall call{function, queryText, buffer, &message, &status};
    // A fault or exception leaves the buffer and the message as the function
    // left them; the elements are filled from them alike.
    static_cast<void>(guard_.run(&callExternal, &call));
    buffer[kResultBufferSize] = '\0';
    fillResults(env, results, buffer, message != nullptr ? message : "");
  }

  env->ReleaseStringUTFChars(query, queryText);
}

ExternalQuery* QueryBridge::setUp(const char** reason) {
  std::lock_guard<std::mutex> lock(setUpMutex_);
  if (comInitialisations_ == 0) {
    com_.joinMultithreadedApartment();
    ++comInitialisations_;
  }
  // Another first call may have finished the set-up while this one waited.
  if (ExternalQuery* ready = function_.load(std::memory_order_relaxed)) return ready;

  if (library_ == nullptr) library_ = loader_.loadByName(kLibraryName);
  if (library_ == nullptr) {
    *reason = kUnableToLoad;
    return nullptr;
  }
  void* symbol = loader_.findSymbol(library_, kFunctionName);
  if (symbol == nullptr) {
    // Nobody else can hold this handle: it is only ever published together
    // with a function found in it.
    loader_.unload(library_);
    library_ = nullptr;
    *reason = kUnableToLocate;
    return nullptr;
  }
  auto* function = reinterpret_cast<ExternalQuery*>(symbol);
  function_.store(function, std::memory_order_release);
  return function;
}

}  // namespace querybridge
