#include "testing/fake_jvm/fake_jvm.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace standin {

FakeJvmScript parseScript(const std::string& mode) {
  FakeJvmScript script;
  std::stringstream words(mode);
  std::string word;
  while (std::getline(words, word, ',')) {
    if (word == "fail-create") script.failCreate = true;
    else if (word == "no-class") script.missingClass = true;
    else if (word == "no-method") script.missingMethod = true;
    else if (word == "entry-throws") script.entry = FakeJvmScript::Entry::Throw;
    else if (word == "entry-blocks") script.entry = FakeJvmScript::Entry::Block;
    else if (word == "entry-exits") script.entry = FakeJvmScript::Entry::Exit;
  }
  return script;
}

FakeJvm::FakeJvm(FakeJvmScript script, Recorder recorder) : script_(script), recorder_(std::move(recorder)) {
  envFunctions_.FindClass = &findClass;
  envFunctions_.GetStaticMethodID = &getStaticMethodId;
  envFunctions_.NewStringUTF = &newStringUtf;
  envFunctions_.NewObjectArray = &newObjectArray;
  envFunctions_.SetObjectArrayElement = &setObjectArrayElement;
  envFunctions_.CallStaticVoidMethodV = &callStaticVoidMethodV;
  envFunctions_.CallStaticVoidMethod = &callStaticVoidMethod;
  envFunctions_.ExceptionCheck = &exceptionCheck;
  vmFunctions_.DestroyJavaVM = &destroyJavaVm;
  env_.env.functions = &envFunctions_;
  env_.owner = this;
  vm_.vm.functions = &vmFunctions_;
  vm_.owner = this;
}

FakeJvm*& FakeJvm::current() {
  static FakeJvm* instance = nullptr;
  return instance;
}

// The function tables hand back the JNIEnv and JavaVM pointers that create()
// gave out; each is the first member of a record that knows its owner.
FakeJvm& FakeJvm::of(JNIEnv* env) { return *reinterpret_cast<Env*>(env)->owner; }
FakeJvm& FakeJvm::of(JavaVM* vm) { return *reinterpret_cast<Vm*>(vm)->owner; }

FakeJvm::Object* FakeJvm::newObject(std::string text) {
  objects_.push_back(Object{std::move(text), {}});
  return &objects_.back();
}

void FakeJvm::record(const std::string& line) { recorder_(line); }

jint FakeJvm::create(JavaVM** vm, void** env, void* rawArgs) {
  auto* args = static_cast<JavaVMInitArgs*>(rawArgs);
  char version[16];
  std::snprintf(version, sizeof version, "0x%x", static_cast<unsigned>(args->version));
  record(std::string("JNI_CreateJavaVM version=") + version + " nOptions=" + std::to_string(args->nOptions) +
         " ignoreUnrecognized=" + std::to_string(args->ignoreUnrecognized));
  for (jint i = 0; i < args->nOptions; ++i) {
    record(std::string("option ") + args->options[i].optionString +
           (args->options[i].extraInfo == nullptr ? "" : " (extraInfo set)"));
  }
  if (script_.failCreate) {
    record("JNI_CreateJavaVM fails");
    return JNI_ERR;
  }
  *vm = &vm_.vm;
  *env = &env_.env;
  return JNI_OK;
}

void FakeJvm::unblockEntry() {
  std::lock_guard<std::mutex> lock(blockMutex_);
  entryUnblocked_ = true;
  unblocked_.notify_all();
}

jclass JNICALL FakeJvm::findClass(JNIEnv* env, const char* name) {
  FakeJvm& self = of(env);
  self.record(std::string("FindClass ") + name);
  if (self.script_.missingClass && std::string(name) != "java/lang/String") {
    self.pendingException_ = true;  // NoClassDefFoundError, as a real VM would
    return nullptr;
  }
  return reinterpret_cast<jclass>(self.newObject(name));
}

jmethodID JNICALL FakeJvm::getStaticMethodId(JNIEnv* env, jclass cls, const char* name, const char* signature) {
  FakeJvm& self = of(env);
  self.record(std::string("GetStaticMethodID ") + reinterpret_cast<Object*>(cls)->text + " " + name + " " +
              signature);
  if (self.script_.missingMethod) {
    self.pendingException_ = true;  // NoSuchMethodError
    return nullptr;
  }
  return reinterpret_cast<jmethodID>(self.newObject(name));
}

jstring JNICALL FakeJvm::newStringUtf(JNIEnv* env, const char* text) {
  FakeJvm& self = of(env);
  self.record(std::string("NewStringUTF ") + text);
  return reinterpret_cast<jstring>(self.newObject(text));
}

jobjectArray JNICALL FakeJvm::newObjectArray(JNIEnv* env, jsize length, jclass cls, jobject initial) {
  FakeJvm& self = of(env);
  self.record("NewObjectArray " + std::to_string(length) + " " + reinterpret_cast<Object*>(cls)->text +
              " initial=\"" + reinterpret_cast<Object*>(initial)->text + "\"");
  Object* array = self.newObject("array");
  array->elements.assign(static_cast<std::size_t>(length), reinterpret_cast<Object*>(initial));
  return reinterpret_cast<jobjectArray>(array);
}

void JNICALL FakeJvm::setObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value) {
  FakeJvm& self = of(env);
  auto* target = reinterpret_cast<Object*>(array);
  self.record("SetObjectArrayElement " + std::to_string(index));
  if (index >= 0 && static_cast<std::size_t>(index) < target->elements.size()) {
    target->elements[static_cast<std::size_t>(index)] = reinterpret_cast<Object*>(value);
  }
}

void FakeJvm::runEntry(const Object* cls, const Object* method, const Object* array) {
  record("CallStaticVoidMethod " + cls->text + "." + method->text + " arguments=" +
         std::to_string(array->elements.size()));
  for (std::size_t i = 0; i < array->elements.size(); ++i) {
    record("argument " + std::to_string(i) + " " + array->elements[i]->text);
  }
  switch (script_.entry) {
    case FakeJvmScript::Entry::Return:
      record("entry returns");
      break;
    case FakeJvmScript::Entry::Throw:
      record("entry throws");
      pendingException_ = true;
      break;
    case FakeJvmScript::Entry::Block: {
      record("entry blocks");
      std::unique_lock<std::mutex> lock(blockMutex_);
      unblocked_.wait(lock, [this] { return entryUnblocked_; });
      record("entry returns");
      break;
    }
    case FakeJvmScript::Entry::Exit:
      record("entry exits " + std::to_string(script_.exitCode));
      std::exit(script_.exitCode);
  }
}

void JNICALL FakeJvm::callStaticVoidMethodV(JNIEnv* env, jclass cls, jmethodID method, va_list args) {
  jobject array = va_arg(args, jobject);
  of(env).runEntry(reinterpret_cast<Object*>(cls), reinterpret_cast<Object*>(method),
                   reinterpret_cast<Object*>(array));
}

void JNICALL FakeJvm::callStaticVoidMethod(JNIEnv* env, jclass cls, jmethodID method, ...) {
  va_list args;
  va_start(args, method);
  callStaticVoidMethodV(env, cls, method, args);
  va_end(args);
}

jboolean JNICALL FakeJvm::exceptionCheck(JNIEnv* env) { return of(env).pendingException_ ? JNI_TRUE : JNI_FALSE; }

jint JNICALL FakeJvm::destroyJavaVm(JavaVM* vm) {
  FakeJvm& self = of(vm);
  self.record(std::string("DestroyJavaVM") + (self.pendingException_ ? " with pending exception" : ""));
  return JNI_OK;
}

jint JNICALL createCurrentJvm(JavaVM** vm, void** env, void* args) {
  return FakeJvm::current()->create(vm, env, args);
}

}  // namespace standin
