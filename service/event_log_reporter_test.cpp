#include "service/event_log_reporter.h"

#include <gtest/gtest.h>

#include <functional>

#include "platform/fake_platform.h"
#include "platform/fake_service_platform.h"

namespace service {
namespace {

constexpr platform::ErrorCode kNegativeCode = 0x80070005;  // -2147024891

// The entries written, each as "<type> <text>".
std::vector<std::string> entryTexts(const platform::FakeEventLog& eventLog) {
  std::vector<std::string> found;
  for (const auto& entry : eventLog.entries()) {
    found.push_back(std::to_string(static_cast<int>(entry.type)) + " " + entry.text);
  }
  return found;
}

class EventLogReporterTest : public ::testing::Test {
 public:
  EventLogReporterTest() {
    messages.texts[platform::kFileNotFound] = "The system cannot find the file specified.\r\n";
    messages.texts[platform::kAccessDenied] = "Access is denied.\r\n";
  }

  platform::CallLog log;
  platform::FakeEventLog eventLog{log};
  platform::FakeSystemMessages messages;
  EventLogReporter reporter{"ReportServer", "Report Server", "Report server has been started successfully", eventLog,
                            messages};
};

TEST_F(EventLogReporterTest, EachEntryOpensAndClosesTheSourceAroundOneReport) {
  reporter.reportError("Unable to load the JVM");
  reporter.reportStarted();
  EXPECT_EQ(log.entries(), (std::vector<std::string>{
                               "eventlog.register ReportServer",
                               "eventlog.report ReportServer 1 [Report Server]: Unable to load the JVM",
                               "eventlog.deregister ReportServer",
                               "eventlog.register ReportServer",
                               "eventlog.report ReportServer 4 [Report Server]: Report server has been started "
                               "successfully",
                               "eventlog.deregister ReportServer",
                           }));
}

TEST_F(EventLogReporterTest, EntryFormsAndTheirLengthLimits) {
  // The Access-is-denied text is 19 characters with its line end.
  const std::string accessDenied = "Access is denied.\r\n";
  struct Case {
    const char* name;
    std::function<void(EventLogReporter&)> report;
    std::vector<std::string> expected;
  } cases[] = {
      {"plain error of 1899", [](EventLogReporter& r) { r.reportError(std::string(1899, 'e')); },
       {"1 [Report Server]: " + std::string(1899, 'e')}},
      {"plain error of 1900", [](EventLogReporter& r) { r.reportError(std::string(1900, 'e')); }, {}},
      {"information of 1899", [](EventLogReporter& r) { r.reportInformation(std::string(1899, 'i')); },
       {"4 [Report Server]: " + std::string(1899, 'i')}},
      {"information of 1900", [](EventLogReporter& r) { r.reportInformation(std::string(1900, 'i')); }, {}},
      {"error with code",
       [](EventLogReporter& r) { r.reportSystemError("Registry key not found", platform::kFileNotFound); },
       {"1 [Report Server]: Registry key not found: 2 - The system cannot find the file specified.\r\n"}},
      {"text and system text of 1899",
       [&](EventLogReporter& r) {
         r.reportSystemError(std::string(1899 - accessDenied.size(), 't'), platform::kAccessDenied);
       },
       {"1 [Report Server]: " + std::string(1899 - accessDenied.size(), 't') + ": 5 - " + accessDenied}},
      {"text and system text of 1900",
       [&](EventLogReporter& r) {
         r.reportSystemError(std::string(1900 - accessDenied.size(), 't'), platform::kAccessDenied);
       },
       {"1 [Report Server]:errorcode: 5"}},
      {"negative code without system text",
       [](EventLogReporter& r) { r.reportSystemError("Registry key not found", kNegativeCode); },
       {"1 [Report Server]: Registry key not found: -2147024891 - "}},
      {"negative code in the short form",
       [](EventLogReporter& r) { r.reportSystemError(std::string(1900, 't'), kNegativeCode); },
       {"1 [Report Server]:errorcode: -2147024891"}},
  };
  for (const Case& c : cases) {
    platform::CallLog caseLog;
    platform::FakeEventLog caseEventLog{caseLog};
    EventLogReporter caseReporter{"ReportServer", "Report Server", "", caseEventLog, messages};
    c.report(caseReporter);
    EXPECT_EQ(entryTexts(caseEventLog), c.expected) << c.name;
    // A dropped text does not even open the source.
    if (c.expected.empty()) {
      EXPECT_TRUE(caseLog.entries().empty()) << c.name;
    }
  }
}

TEST_F(EventLogReporterTest, SourceThatCannotBeRegisteredLosesTheEntrySilently) {
  eventLog.failRegistration = true;
  reporter.reportSystemError("Registry key not found", platform::kFileNotFound);
  EXPECT_EQ(log.entries(), std::vector<std::string>{"eventlog.register ReportServer failed"});
}

TEST(PrintErrorWithCodeTest, PrintsOneLineEndedByTheSystemText) {
  platform::RecordingOutput output;
  platform::FakeSystemMessages messages;
  messages.texts[platform::kServiceExists] = "The specified service already exists.\r\n";
  printErrorWithCode("Quorvel Lumagrid Collection Server", "Unable to register service with Windows.",
                     platform::kServiceExists, output, messages);
  // No length rule on the console.
  printErrorWithCode("Report Server", std::string(2000, 'x'), kNegativeCode, output, messages);
  EXPECT_EQ(output.text(),
            "[Quorvel Lumagrid Collection Server]: Unable to register service with Windows.: 1073 - The specified "
            "service already exists.\r\n"
            "[Report Server]: " +
                std::string(2000, 'x') + ": -2147024891 - ");
}

}  // namespace
}  // namespace service
