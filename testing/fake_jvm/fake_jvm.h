// A recording implementation of the parts of the Java Invocation API and
// the JNI function table that the launchers use. Unit tests run it in
// process; the stand-in VM library wraps it for whole-program tests. Test
// tool only: never shipped.
#ifndef TESTING_FAKE_JVM_H
#define TESTING_FAKE_JVM_H

#include <jni.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace standin {

// What the fake VM does at each step the launchers rely on.
struct FakeJvmScript {
  bool failCreate = false;
  bool missingClass = false;   // every FindClass but java/lang/String fails
  bool missingMethod = false;  // GetStaticMethodID fails
  enum class Entry { Return, Throw, Block, Exit } entry = Entry::Return;
  int exitCode = 0;  // with Entry::Exit, like System.exit from Java
};

// Parses a comma-separated mode text: fail-create, no-class, no-method,
// entry-throws, entry-blocks, entry-exits.
FakeJvmScript parseScript(const std::string& mode);

class FakeJvm {
 public:
  using Recorder = std::function<void(const std::string&)>;

  FakeJvm(FakeJvmScript script, Recorder recorder);
  FakeJvm(const FakeJvm&) = delete;
  FakeJvm& operator=(const FakeJvm&) = delete;

  // What JNI_CreateJavaVM does: records the arguments, then creates the VM
  // or fails as scripted.
  jint create(JavaVM** vm, void** env, void* args);

  // Ends a blocked entry method.
  void unblockEntry();

  // The one instance that the exported JNI_CreateJavaVM of a test forwards
  // to; set by the test.
  static FakeJvm*& current();

 private:
  struct Object {
    std::string text;                   // class name or string value
    std::vector<const Object*> elements;  // of an array
  };
  struct Env {
    JNIEnv_ env;
    FakeJvm* owner;
  };
  struct Vm {
    JavaVM_ vm;
    FakeJvm* owner;
  };

  static FakeJvm& of(JNIEnv* env);
  static FakeJvm& of(JavaVM* vm);
  Object* newObject(std::string text);
  void record(const std::string& line);
  void runEntry(const Object* cls, const Object* method, const Object* array);

  static jclass JNICALL findClass(JNIEnv* env, const char* name);
  static jmethodID JNICALL getStaticMethodId(JNIEnv* env, jclass cls, const char* name, const char* signature);
  static jstring JNICALL newStringUtf(JNIEnv* env, const char* text);
  static jobjectArray JNICALL newObjectArray(JNIEnv* env, jsize length, jclass cls, jobject initial);
  static void JNICALL setObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value);
  static void JNICALL callStaticVoidMethodV(JNIEnv* env, jclass cls, jmethodID method, va_list args);
  static void JNICALL callStaticVoidMethod(JNIEnv* env, jclass cls, jmethodID method, ...);
  static jboolean JNICALL exceptionCheck(JNIEnv* env);
  static jint JNICALL destroyJavaVm(JavaVM* vm);

  FakeJvmScript script_;
  Recorder recorder_;
  JNINativeInterface_ envFunctions_{};
  JNIInvokeInterface_ vmFunctions_{};
  Env env_;
  Vm vm_;
  std::deque<Object> objects_;
  bool pendingException_ = false;
  std::mutex blockMutex_;
  std::condition_variable unblocked_;
  bool entryUnblocked_ = false;
};

// A JNI_CreateJavaVM that forwards to FakeJvm::current(), for tests that
// install the fake VM behind a fake library loader.
jint JNICALL createCurrentJvm(JavaVM** vm, void** env, void* args);

}  // namespace standin

#endif
