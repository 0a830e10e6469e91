#include "testing/bridge_java/fake_jni_env.h"

#include <cstring>

namespace standin {

FakeJni::FakeJni() : env_{{}, this} {
  functions_.GetStringUTFChars = &getStringUtfChars;
  functions_.ReleaseStringUTFChars = &releaseStringUtfChars;
  functions_.NewStringUTF = &newStringUtf;
  functions_.SetObjectArrayElement = &setObjectArrayElement;
  env_.env.functions = &functions_;
}

FakeJni& FakeJni::of(JNIEnv* env) { return *reinterpret_cast<Env*>(env)->owner; }

FakeJni::Object* FakeJni::make(std::string text) {
  objects_.push_back(Object{std::move(text), {}});
  return &objects_.back();
}

jstring FakeJni::newString(const std::string& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  return reinterpret_cast<jstring>(make(bytes));
}

jobjectArray FakeJni::newArray(std::size_t length) {
  std::lock_guard<std::mutex> lock(mutex_);
  Object* array = make("String[]");
  array->elements.assign(length, nullptr);
  return reinterpret_cast<jobjectArray>(array);
}

void FakeJni::setElement(jobjectArray array, std::size_t index, jstring value) {
  std::lock_guard<std::mutex> lock(mutex_);
  reinterpret_cast<Object*>(array)->elements.at(index) = reinterpret_cast<Object*>(value);
}

std::optional<std::string> FakeJni::element(jobjectArray array, std::size_t index) {
  std::lock_guard<std::mutex> lock(mutex_);
  const Object* value = reinterpret_cast<Object*>(array)->elements.at(index);
  if (value == nullptr) return std::nullopt;
  return value->text;
}

int FakeJni::textsOutstanding() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(lent_.size());
}

int FakeJni::badReleases() {
  std::lock_guard<std::mutex> lock(mutex_);
  return badReleases_;
}

std::vector<std::string> FakeJni::calls() {
  std::lock_guard<std::mutex> lock(mutex_);
  return calls_;
}

void FakeJni::clearCalls() {
  std::lock_guard<std::mutex> lock(mutex_);
  calls_.clear();
}

const char* JNICALL FakeJni::getStringUtfChars(JNIEnv* env, jstring string, jboolean* isCopy) {
  FakeJni& self = of(env);
  std::lock_guard<std::mutex> lock(self.mutex_);
  const auto* object = reinterpret_cast<const Object*>(string);
  // A fresh copy each time, as a VM may hand out, so a text used after it
  // was handed back, or written to, is not simply the stored string.
  char* text = new char[object->text.size() + 1];
  std::memcpy(text, object->text.data(), object->text.size());
  text[object->text.size()] = '\0';
  self.lent_.push_back(Lent{object, text});
  self.calls_.push_back("GetStringUTFChars " + object->text);
  if (isCopy != nullptr) *isCopy = JNI_TRUE;
  return text;
}

void JNICALL FakeJni::releaseStringUtfChars(JNIEnv* env, jstring string, const char* text) {
  FakeJni& self = of(env);
  std::lock_guard<std::mutex> lock(self.mutex_);
  const auto* object = reinterpret_cast<const Object*>(string);
  self.calls_.push_back("ReleaseStringUTFChars " + object->text);
  for (auto lent = self.lent_.begin(); lent != self.lent_.end(); ++lent) {
    if (lent->text == text && lent->string == object) {
      delete[] lent->text;
      self.lent_.erase(lent);
      return;
    }
  }
  ++self.badReleases_;
}

jstring JNICALL FakeJni::newStringUtf(JNIEnv* env, const char* text) {
  FakeJni& self = of(env);
  std::lock_guard<std::mutex> lock(self.mutex_);
  // JNI defines no string made from a null pointer.
  if (text == nullptr) {
    self.calls_.push_back("NewStringUTF <null>");
    return nullptr;
  }
  self.calls_.push_back(std::string("NewStringUTF ") + text);
  return reinterpret_cast<jstring>(self.make(text));
}

void JNICALL FakeJni::setObjectArrayElement(JNIEnv* env, jobjectArray array, jsize index, jobject value) {
  FakeJni& self = of(env);
  std::lock_guard<std::mutex> lock(self.mutex_);
  auto* object = reinterpret_cast<Object*>(value);
  self.calls_.push_back("SetObjectArrayElement " + std::to_string(index) + " " +
                        (object != nullptr ? object->text : "<null>"));
  reinterpret_cast<Object*>(array)->elements.at(static_cast<std::size_t>(index)) = object;
}

}  // namespace standin
