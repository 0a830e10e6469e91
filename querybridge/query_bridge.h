// The native side of BrixaQuery.Query: forwards a query from Java to the
// function `Query` of the external library tovanex and hands its two texts
// back through the caller's array.
#ifndef QUERYBRIDGE_QUERY_BRIDGE_H
#define QUERYBRIDGE_QUERY_BRIDGE_H

#include <jni.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>

#include "platform/com_apartment.h"
#include "platform/fault_guard.h"
#include "platform/library_loader.h"

namespace querybridge {

// The external function: query text, 1024-byte result buffer, address of
// the message pointer (null on entry), address of the status (0 on entry).
// Its return value is never looked at.
using ExternalQuery = int(const char* query, char* result, const char** message, std::int32_t* status);

// Size of the result buffer handed to the external function.
inline constexpr std::size_t kResultBufferSize = 1024;

// Texts of the failure outcomes, exactly as Java callers see them.
inline constexpr char kFailureMarker[] = "FALIURE";
inline constexpr char kUnableToLoad[] = "Unable to load the tovanex.dll";
inline constexpr char kUnableToLocate[] = "Unable to locate the Query method in the tovanex.dll";

// One per loaded copy of the native library. Holds the process-wide state:
// whether COM was initialised, the external library and its function.
// Nothing is ever released: once the function is known the library stays
// loaded for good, so a thread that has seen the function can always call it.
class QueryBridge {
 public:
  QueryBridge(platform::LibraryLoader& loader, platform::FaultGuard& guard, platform::ComLibrary& com)
      : loader_(loader), guard_(guard), com_(com) {}
  QueryBridge(const QueryBridge&) = delete;
  QueryBridge& operator=(const QueryBridge&) = delete;

  // One call of the native method, on any thread, any number at once. Puts
  // the external function's result and message texts into elements 0 and 1
  // of `results` (a message never set gives the empty text), or the failure
  // marker and its reason when tovanex or its Query cannot be found. A fault
  // or exception inside the external function ends only that function; the
  // elements then come from what it had written so far. Elements from 2 on
  // are never touched. The caller guarantees a non-null query and an array
  // of at least two elements that takes strings.
  void query(JNIEnv* env, jstring query, jobjectArray results);

 private:
  // Not-ready path: initialises COM once, loads tovanex and looks up Query,
  // serialised against every other first call. Returns the function, or
  // null with the reason text in `reason`.
  ExternalQuery* setUp(const char** reason);

  platform::LibraryLoader& loader_;
  platform::FaultGuard& guard_;
  platform::ComLibrary& com_;

  // Set once, with release order, after the library is loaded, the function
  // found and COM initialised; never cleared. The ready path reads only this.
  std::atomic<ExternalQuery*> function_{nullptr};

  std::mutex setUpMutex_;  // guards the two values below
  std::int32_t comInitialisations_ = 0;
  platform::LibraryHandle library_ = nullptr;
};

}  // namespace querybridge

#endif
