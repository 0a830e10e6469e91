// Win32 backend specifics, against the real registry and message table.
#include <gtest/gtest.h>

#include <string>

#include "platform/settings_store.h"
#include "platform/system_message.h"
#include "platform/windows_headers.h"

namespace platform {
namespace {

constexpr const char kKey[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr const char kValue[] = "LMG_PLATFORM_TEST_VALUE";

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, kKey, &key_), ERROR_SUCCESS); }
  void TearDown() override {
    RegDeleteValueA(key_, kValue);
    RegCloseKey(key_);
  }
  void set(DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetValueExA(key_, kValue, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
  }
  ErrorCode read(std::string* text) {
    std::unique_ptr<SettingsKey> key;
    ErrorCode opened = systemSettingsStore().openMachineEnvironment(&key);
    if (opened != kNoError) return opened;
    return key->readText(kValue, 1000, text);
  }
  HKEY key_ = nullptr;
};

TEST_F(RegistryTest, ReadsTextValues) {
  std::string text;
  set(REG_SZ, "C:\\Java", 8);
  EXPECT_EQ(read(&text), kNoError);
  EXPECT_EQ(text, "C:\\Java");
  set(REG_EXPAND_SZ, "%JAVA%", 7);
  EXPECT_EQ(read(&text), kNoError);
  EXPECT_EQ(text, "%JAVA%");  // not expanded
}

TEST_F(RegistryTest, ReportsTheCodeTheRegistryReturned) {
  std::string text;
  EXPECT_EQ(read(&text), kFileNotFound);
  std::string tooLong(1000, 'j');
  set(REG_SZ, tooLong.c_str(), 1001);
  EXPECT_EQ(read(&text), kMoreData);
}

TEST_F(RegistryTest, ValueThatIsNotTextIsNeverReadPastItsBytes) {
  std::string text = "unchanged";
  DWORD number = 7;
  set(REG_DWORD, &number, sizeof number);
  EXPECT_EQ(read(&text), kInvalidData);
  set(REG_BINARY, "abc", 3);
  EXPECT_EQ(read(&text), kInvalidData);
  EXPECT_EQ(text, "unchanged");
}

TEST(Win32SystemMessagesTest, TextIsWhatFormatMessageGives) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr,
      ERROR_SERVICE_EXISTS, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  ASSERT_GT(length, 0u);
  std::string expected(buffer, length);
  LocalFree(buffer);
  EXPECT_EQ(systemMessages().textFor(kServiceExists), std::optional<std::string>(expected));
}

}  // namespace
}  // namespace platform
