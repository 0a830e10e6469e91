// An in-process stand-in for the Java side of the query bridge: the four
// JNIEnv functions the bridge uses, over plain strings and arrays, with a
// record of what was asked. Test tool only; never shipped.
#ifndef TESTING_BRIDGE_JAVA_FAKE_JNI_ENV_H
#define TESTING_BRIDGE_JAVA_FAKE_JNI_ENV_H

#include <jni.h>

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace standin {

// Every other entry of its function table is null, so a bridge that used
// anything more would crash the test. Safe to use from many threads at once;
// every thread may share the one JNIEnv.
class FakeJni {
 public:
  FakeJni();
  FakeJni(const FakeJni&) = delete;
  FakeJni& operator=(const FakeJni&) = delete;

  JNIEnv* env() { return &env_.env; }

  // A Java string whose modified UTF-8 form is `bytes`.
  jstring newString(const std::string& bytes);
  // A String[] of `length` null elements.
  jobjectArray newArray(std::size_t length);
  void setElement(jobjectArray array, std::size_t index, jstring value);
  // The element's modified UTF-8 bytes; nullopt for a null element.
  std::optional<std::string> element(jobjectArray array, std::size_t index);

  // Query texts handed out and not yet handed back.
  int textsOutstanding();
  // Hand-backs of a text this fake never handed out, or handed back twice,
  // or with a string other than its own.
  int badReleases();
  // The calls made so far, in order: "GetStringUTFChars <bytes>",
  // "ReleaseStringUTFChars <bytes>", "NewStringUTF <bytes>",
  // "SetObjectArrayElement <index> <bytes>".
  std::vector<std::string> calls();
  void clearCalls();

 private:
  struct Object {
    std::string text;
    std::vector<Object*> elements;
  };
  struct Env {
    JNIEnv_ env;
    FakeJni* owner;
  };
  struct Lent {
    const Object* string;
    char* text;
  };

  static FakeJni& of(JNIEnv* env);
  Object* make(std::string text);

  static const char* JNICALL getStringUtfChars(JNIEnv* env, jstring string, jboolean* isCopy);
  static void JNICALL releaseStringUtfChars(JNIEnv* env, jstring string, const char* text);
  static jstring JNICALL newStringUtf(JNIEnv* env, const char* text);
  static void JNICALL setObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value);

  std::mutex mutex_;
  JNINativeInterface_ functions_{};
  Env env_;
  std::deque<Object> objects_;
  std::vector<Lent> lent_;
  int badReleases_ = 0;
  std::vector<std::string> calls_;
};

}  // namespace standin

#endif
