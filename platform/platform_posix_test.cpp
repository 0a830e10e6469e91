// POSIX backend specifics: the machine environment file and path rendering.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "platform/process_environment.h"
#include "platform/settings_store.h"
#include "platform/system_message.h"

namespace platform {
namespace {

class EnvironmentFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = ::testing::TempDir() + "lmg_environment_" + std::to_string(::getpid());
    setenv(kMachineEnvironmentFileVariable, path_.c_str(), 1);
  }
  void TearDown() override {
    std::remove(path_.c_str());
    unsetenv(kMachineEnvironmentFileVariable);
  }
  void write(const std::string& content) { std::ofstream(path_) << content; }

  ErrorCode read(const char* name, std::string* text) {
    std::unique_ptr<SettingsKey> key;
    ErrorCode opened = systemSettingsStore().openMachineEnvironment(&key);
    if (opened != kNoError) return opened;
    return key->readText(name, 1000, text);
  }

  std::string path_;
};

TEST_F(EnvironmentFileTest, ReadsPlainAndQuotedValues) {
  write("# machine environment\nPATH=\"/usr/bin:/bin\"\nLMG_JAVA_HOME=/opt/java\n\n");
  std::string text;
  EXPECT_EQ(read("LMG_JAVA_HOME", &text), kNoError);
  EXPECT_EQ(text, "/opt/java");
  EXPECT_EQ(read("PATH", &text), kNoError);
  EXPECT_EQ(text, "/usr/bin:/bin");
}

TEST_F(EnvironmentFileTest, FailsWithTheRegistrysCodes) {
  std::string text = "unchanged";
  EXPECT_EQ(read("LMG_JAVA_HOME", &text), kFileNotFound);  // no file: no key
  write("LMG_JAVA_HOME=" + std::string(1000, 'j') + "\nOTHER=1\n");
  EXPECT_EQ(read("MISSING", &text), kFileNotFound);
  EXPECT_EQ(read("LMG_JAVA_HOME", &text), kMoreData);
  EXPECT_EQ(text, "unchanged");
  write("LMG_JAVA_HOME=" + std::string(999, 'j') + "\n");
  EXPECT_EQ(read("LMG_JAVA_HOME", &text), kNoError);
  EXPECT_EQ(text.size(), 999u);
}

TEST(PosixPathTextTest, ProfilePathsAreRenderedNatively) {
  EXPECT_EQ(systemProcessEnvironment().nativePathText("-Djava.library.path=.;..\\..\\Common;..\\..\\Orvex"),
            "-Djava.library.path=.:../../Common:../../Orvex");
}

TEST(PosixSystemMessagesTest, TextsAreTheWindowsEnglishOnes) {
  EXPECT_EQ(systemMessages().textFor(kFileNotFound), std::optional<std::string>(
                                                          "The system cannot find the file specified.\r\n"));
}

}  // namespace
}  // namespace platform
