#include "windows/variables.h"

#include <gtest/gtest.h>

#include "support/log_recorder.h"

namespace launcher {
namespace {

VariableValues values() {
  return {"C:\\app\\bin\\", "C:\\tmp\\vxk1.tmp_dir", "C:\\jre\\bin\\..", "C:\\tmp\\"};
}

TEST(LauncherVariables, EveryFormExpands) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"%VELKOR_EXEDIR%lib", "C:\\app\\bin\\lib"},
      {"%MORVANE_EXEDIR%", "C:\\app\\bin\\"},
      {"%VELKOR_TEMPDIR%|%MORVANE_TEMPDIR%", "C:\\tmp\\vxk1.tmp_dir|C:\\tmp\\vxk1.tmp_dir"},
      {"a%VELKOR_PATHLIST_SEPARATOR%b%MORVANE_PATHLIST_SEPARATOR%c", "a;b;c"},
      {"%VELKOR_JVM_HOME%|%MORVANE_JVM_HOME%", "C:\\jre\\bin\\..|C:\\jre\\bin\\.."},
      {"${VELKOR_EXEDIR}|${MORVANE_EXEDIR}", "C:\\app\\bin\\|C:\\app\\bin\\"},
      {"${VELKOR_TEMPDIR}|${MORVANE_TEMPDIR}", "C:\\tmp\\vxk1.tmp_dir|C:\\tmp\\vxk1.tmp_dir"},
      {"${VELKOR_PATHLIST_SEPARATOR}${MORVANE_PATHLIST_SEPARATOR}", ";;"},
      {"${VELKOR_JVM_HOME}|${MORVANE_JVM_HOME}", "C:\\jre\\bin\\..|C:\\jre\\bin\\.."},
      {"${launcher:sys.launcherDirectory}x", "C:\\app\\bin\\x"},
      {"${launcher:sys.launcherTempDirectory}", "C:\\tmp\\vxk1.tmp_dir"},
      {"${launcher:sys.pathlistSeparator}", ";"},
      {"${launcher:sys.jvmHome}", "C:\\jre\\bin\\.."},
      {"${launcher:sys.tempDir}", "C:\\tmp\\"},
      {"${launcher:sys.unknown} %velkor_exedir%", "${launcher:sys.unknown} %velkor_exedir%"},
      {"${MYDIR}\\jre", "D:\\my\\jre"},
      {"${Path}|${PATH}|${path}", "P1|P1|${path}"},
      {"${VELKOR_EXEDIR}", "C:\\app\\bin\\"},  // the launcher's value beats the environment's
  };
  const EnvironmentEntries environment = {{"MYDIR", "D:\\my"}, {"Path", "P1"}, {"VELKOR_EXEDIR", "from-env"}};
  for (const Case& c : cases) {
    std::string text = c.text;
    expandVariablesWith(text, values(), environment);
    EXPECT_EQ(text, c.expected) << c.text;
  }
}

TEST(LauncherVariables, EnvironmentEntriesInBlockOrderFirstThenUpperCased) {
  // ${a} is replaced by a's value before ${A} is; an upper-case entry later in
  // the block cannot take it back.
  const EnvironmentEntries environment = {{"a", "lower"}, {"A", "upper"}};
  std::string text = "${a} ${A}";
  expandVariablesWith(text, values(), environment);
  EXPECT_EQ(text, "lower lower");
}

TEST(LauncherVariables, ReplaceAllNeverLoopsOnAValueContainingTheName) {
  std::string text = "x${A}y${A}";
  replaceAll(text, "${A}", "[${A}]");
  EXPECT_EQ(text, "x[${A}]y[${A}]");
  std::string empty = "aaa";
  replaceAll(empty, "a", "");
  EXPECT_EQ(empty, "");
}

TEST(LauncherVariables, ReplacementIsLogged) {
  testing::clearRecordedLog();
  std::string text = "a%VELKOR_EXEDIR%b";
  replaceAll(text, "%VELKOR_EXEDIR%", "C:\\x\\");
  ASSERT_EQ(testing::recordedLogLines().size(), 1u);
  EXPECT_EQ(testing::recordedLogLines()[0], "expanding %VELKOR_EXEDIR% to C:\\x\\ in aC:\\x\\b.");
}

TEST(LauncherVariables, ExpansionStaysWithinTheBuffer) {
  std::string text = "${BIG}${BIG}";
  const EnvironmentEntries environment = {{"BIG", std::string(6000, 'b')}};
  expandVariablesWith(text, values(), environment);
  EXPECT_EQ(text.size(), 8191u);
}

TEST(EnvironmentBlock, EntriesInOrderAndDriveEntriesKeepTheirName) {
  const char block[] = "=C:=C:\\x\0Path=a;b\0NOEQUALS\0EMPTY=\0X=1=2\0";
  const EnvironmentEntries entries = parseEnvironmentBlock(block);
  const EnvironmentEntries expected = {{"=C:", "C:\\x"}, {"Path", "a;b"}, {"EMPTY", ""}, {"X", "1=2"}};
  EXPECT_EQ(entries, expected);
}

}  // namespace
}  // namespace launcher
