// The library's one export: the native method Query of
// com.quorvel.vantry.collectionagent.brixaagent.BrixaQuery, wired to the
// system's loader, fault guard and COM library.
#include <jni.h>

#include <new>

#include "platform/com_apartment.h"
#include "platform/fault_guard.h"
#include "platform/library_loader.h"
#include "querybridge/query_bridge.h"

extern "C" JNIEXPORT void JNICALL Java_com_quorvel_vantry_collectionagent_brixaagent_BrixaQuery_Query(
    JNIEnv* env, jobject /*receiver*/, jstring query, jobjectArray results) {
  // Made by the first call rather than at load, so loading the library sets
  // nothing up; and never destroyed, so unloading it undoes nothing.
  alignas(querybridge::QueryBridge) static unsigned char storage[sizeof(querybridge::QueryBridge)];
  static querybridge::QueryBridge* const bridge = new (storage) querybridge::QueryBridge(
      platform::systemLibraryLoader(), platform::systemFaultGuard(), platform::systemComLibrary());
  bridge->query(env, query, results);
}
