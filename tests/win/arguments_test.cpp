// The argument list the Java side receives and the narrow splitter.
#include "windows/java_arguments.h"

#include <gtest/gtest.h>

#include "support/temp_directory.h"
#include "windows/command_line_win.h"

namespace launcher {
namespace {

using testing::ProcessStateGuard;

class JavaArguments : public ::testing::Test {
 protected:
  void SetUp() override {
    guard.setExecutable("C:\\app\\bin\\app.exe");
    g_settings.narrow[setting::ExecutableKind] = std::string("1");
    g_settings.narrow[setting::MainClass] = std::string("com.example.Main");
    g_settings.narrow[setting::PassErrorLog] = std::string("1");
    g_settings.narrow[setting::ErrorLogFile] = std::string("error.log");
    g_settings.narrow[setting::PassOutputLog] = std::string("0");
    g_settings.narrow[setting::OutputLogFile] = std::string("output.log");
    g_settings.narrow[setting::JavaSideFlag] = std::string("1");
    g_settings.narrow[setting::DefaultArguments] = std::string("");
    g_settings.narrow[setting::JArgumentsAreVmOptions] = std::string("1");
  }
  ProcessStateGuard guard;
};

TEST_F(JavaArguments, TheWorkedExample) {
  const ArgumentVector arguments = {u"app.exe", u"-Xfoo", u"a b", u"-J-Xmx64m"};
  const std::vector<WideString> expected = {u"true", u"com.example.Main", u"C:\\app\\bin\\error.log", u"", u"true",
                                            u"app.exe", u"-Xfoo", u"a b"};
  EXPECT_EQ(composeJavaArguments(arguments), expected);
}

TEST_F(JavaArguments, SwitchesAndDefaultArguments) {
  g_settings.narrow[setting::ExecutableKind] = std::string("5");
  g_settings.narrow[setting::PassErrorLog] = std::string("0");
  g_settings.narrow[setting::PassOutputLog] = std::string("1");
  g_settings.narrow[setting::OutputLogFile] = std::string("$keep\\as\\is.log");
  g_settings.narrow[setting::JavaSideFlag] = std::string("0");
  g_settings.narrow[setting::JArgumentsAreVmOptions] = std::string("0");
  g_settings.narrow[setting::DefaultArguments] = std::string("--mode 'two words' %VELKOR_EXEDIR%x");
  const ArgumentVector arguments = {u"C:\\app\\bin\\app.exe", u"-J-Xmx1g", u"\u00e9\u4e2d"};
  const std::vector<WideString> expected = {
      u"false", u"com.example.Main", u"", u"$keep\\as\\is.log", u"false", u"C:\\app\\bin\\app.exe",
      u"--mode", u"two words", u"C:\\app\\bin\\x", u"-J-Xmx1g", u"\u00e9\u4e2d"};
  EXPECT_EQ(composeJavaArguments(arguments), expected);
}

TEST_F(JavaArguments, OnlyTheProgramNameGivesTheLeadingFiveAndIt) {
  g_settings.narrow[setting::ErrorLogFile] = std::string("..\\logs\\err.log");
  std::vector<WideString> arguments = composeJavaArguments({u"app.exe"});
  ASSERT_EQ(arguments.size(), 6u);
  EXPECT_EQ(arguments[2], u"C:\\app\\logs\\err.log");
  EXPECT_TRUE(composeJavaArguments({}).size() == 5u);
}

TEST_F(JavaArguments, UnclosedQuoteInTheDefaultArgumentsEndsTheLaunch) {
  g_settings.narrow[setting::DefaultArguments] = std::string("it's");
  g_settings.narrow[message::WrongParameterUsage] = std::string("Wrong Parameter Usage");
  useConsoleErrors();
  EXPECT_EXIT(composeJavaArguments({u"app.exe"}), ::testing::ExitedWithCode(1), "Wrong Parameter Usage");
}

TEST(NarrowSplitting, AnsiTextSplitsByTheSameRules) {
  EXPECT_EQ(splitNarrowText(" -Dsun.java2d.noddraw=true  -Dx=\"a b\" '\xE9t\xE9'"),
            (std::vector<std::string>{"-Dsun.java2d.noddraw=true", "-Dx=a b", "\xE9t\xE9"}));
  EXPECT_TRUE(splitNarrowText("").empty());
}

}  // namespace
}  // namespace launcher
