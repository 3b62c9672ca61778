// Error reports: the text shown, where it goes, and how the process ends.
#include "runtime/errors.h"

#include <gtest/gtest.h>

#include "support/temp_directory.h"

namespace launcher {
namespace {

using testing::ProcessStateGuard;

TEST(ErrorText, OnlyTheFirstPlaceholderIsReplaced) {
  struct Case {
    const char* message;
    std::optional<std::string_view> argument;
    const char* shown;
  } cases[] = {
      {"File or directory {0} not found or empty\n", "lib\\x.jar", "File or directory lib\\x.jar not found or empty\n"},
      {"An internal error occurred (error code: {0})", "16", "An internal error occurred (error code: 16)"},
      {"{0} and {0}", "a", "a and {0}"},
      {"no placeholder", "ignored", "no placeholder"},
      {"kept {0}", std::nullopt, "kept {0}"},
      {"nested {0}!", "{0}", "nested {0}!"},
      {"{0}", "", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(substituteArgument(c.message, c.argument), c.shown) << c.message;
  EXPECT_EQ(substituteArgument(std::string(8000, 'x') + "{0}", std::string(500, 'y')).size(), 8191u);
}

TEST(ErrorText, TheLogPathFollowsAnEmptyLine) {
  EXPECT_EQ(withLogSuffix("Something failed", std::string("C:\\Temp\\mqv_nlog_1")),
            "Something failed\n\nLog: C:\\Temp\\mqv_nlog_1");
  EXPECT_EQ(withLogSuffix("Something failed", std::nullopt), "Something failed");
}

TEST(ErrorReportsDeathTest, FatalMessagesGoToStandardErrorAndEndWithExitCodeOne) {
  ProcessStateGuard guard;
  g_settings.narrow[message::InternalError] = "An internal error occurred (error code: {0})";
  g_settings.narrow[message::ClassPathEntryMissing] = "File or directory {0} not found or empty\n";
  useConsoleErrors();
  EXPECT_EXIT(fatalMessage(message::InternalError, "16"), ::testing::ExitedWithCode(1),
              "An internal error occurred \\(error code: 16\\)");
  EXPECT_EXIT(fatalMessage(message::ClassPathEntryMissing, "lib\\x.jar"), ::testing::ExitedWithCode(1),
              "File or directory lib.x.jar not found or empty\n\n");
  EXPECT_EXIT(fatalError("Internal Error: magic"), ::testing::ExitedWithCode(1), "^Internal Error: magic\n$");
  EXPECT_EXIT(exitQuietly(83), ::testing::ExitedWithCode(83), "^$");
}

}  // namespace
}  // namespace launcher
