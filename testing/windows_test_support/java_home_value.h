// The machine's LMG_JAVA_HOME registry value, as the launchers read it,
// for tests that change it: saved when made, put back when destroyed.
// Test tool only.
#ifndef TESTING_WINDOWS_TEST_SUPPORT_JAVA_HOME_VALUE_H
#define TESTING_WINDOWS_TEST_SUPPORT_JAVA_HOME_VALUE_H

#include <string>

#include "platform/windows_headers.h"

namespace windows_test {

class JavaHomeValue {
 public:
  JavaHomeValue();
  ~JavaHomeValue();
  JavaHomeValue(const JavaHomeValue&) = delete;
  JavaHomeValue& operator=(const JavaHomeValue&) = delete;

  // Whether the machine environment key could be opened.
  bool opened() const { return key_ != nullptr; }
  // Writes `home` as a REG_SZ value; whether the registry took it.
  bool set(const std::string& home);
  void remove();

 private:
  HKEY key_ = nullptr;
  bool hadValue_ = false;
  DWORD savedType_ = REG_SZ;
  std::string saved_;
};

}  // namespace windows_test

#endif
