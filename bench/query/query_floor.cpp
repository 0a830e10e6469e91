// The floor of the query benchmark: a native method doing the JNI string
// work of one BrixaQuery call (and the echo's own copying) with no external
// call and no guard around it.
#include <jni.h>

#include <cstring>

extern "C" JNIEXPORT void JNICALL Java_querybench_QueryFloor_Query(JNIEnv* env, jclass, jstring query,
                                                                   jobjectArray results) {
  const char* text = env->GetStringUTFChars(query, nullptr);
  char buffer[1025];
  buffer[0] = '\0';
  std::size_t length = std::strlen(text);
  if (length > 1023) length = 1023;
  std::memcpy(buffer, text, length);
  buffer[length] = '\0';
  buffer[1024] = '\0';
  const char* message = "echo";
  jstring first = env->NewStringUTF(buffer);
  jstring second = env->NewStringUTF(message);
  env->SetObjectArrayElement(results, 0, first);
  env->SetObjectArrayElement(results, 1, second);
  env->ReleaseStringUTFChars(query, text);
}
