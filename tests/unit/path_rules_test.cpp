#include "runtime/path_rules.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(PathRules, RelativeOrAbsolute) {
  struct Case {
    const char* path;
    bool relative;
  } cases[] = {
      {"lib\\a.jar", true},  {"D:\\x", false},        {"\\\\server\\share", false}, {"C:/x", true},
      {"\\x", true},         {"C:x", true},           {"..\\lib", true},            {"", true},
      {"C:", true},          {"C:\\", false},         {"\"C:\\x\"", false},         {"\"C:", true},
      {"\"\\\\s\"", false},  {"//server/share", true}, {"\"C:\\", false},
  };
  for (const Case& c : cases) EXPECT_EQ(isRelativePath(c.path), c.relative) << c.path;
}

TEST(PathRules, CollapseBackslashRuns) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"C:\\\\app\\\\\\bin\\x", "C:\\app\\bin\\x"},
      {"\\\\server\\\\share", "\\\\server\\share"},
      {"\\\\\\server", "\\\\server"},
      {"a\\\\b", "a\\b"},
      {"\\", "\\"},
      {"", ""},
      {"C:\\app\\", "C:\\app\\"},
      {"x\\\\", "x\\"},
  };
  for (Case c : cases) {
    collapseBackslashRuns(c.in);
    EXPECT_EQ(c.in, c.out);
  }
}

TEST(PathRules, LowerCasingChangesOnlyAsciiLetters) {
  std::u16string path = u"C:\\App\\\u00c4\u00d6\\Lib";
  lowerCaseAscii(path);
  EXPECT_EQ(path, u"c:\\app\\\u00c4\u00d6\\lib");
}

TEST(PathRules, DriveRoots) {
  for (const char* root : {"C:\\", "d:\\.", "Z:\\.\\."}) EXPECT_TRUE(isDriveRoot(root)) << root;
  for (const char* other : {"C:", "C:\\x", "C:\\..", "\\\\", "", "C:\\.\\.\\."}) EXPECT_FALSE(isDriveRoot(other)) << other;
}

TEST(PathRules, ResolvingAgainstTheExecutablesDirectory) {
  const std::string dir = "C:\\app\\bin\\";
  struct Case {
    const char* path;
    const char* expected;
  } cases[] = {
      {"lib\\a.jar", "C:\\app\\bin\\lib\\a.jar"},
      {"D:\\x", "D:\\x"},
      {"\\\\server\\share\\x", "\\\\server\\share\\x"},
      {"C:/x", "C:\\app\\bin\\C:/x"},
      {"..\\lib", "C:\\app\\bin\\..\\lib"},
      {"\\lib\\\\x", "C:\\app\\bin\\lib\\x"},
      {"", "C:\\app\\bin\\"},
  };
  for (const Case& c : cases) EXPECT_EQ(resolveTextAgainst(dir, c.path), c.expected) << c.path;
}

TEST(PathRules, SearchPatternsAndDirectories) {
  EXPECT_EQ(directorySearchPattern("C:\\app\\lib", "jar"), "C:\\app\\lib\\*.jar");
  EXPECT_EQ(directorySearchPattern("C:\\app\\lib", ".zip"), "C:\\app\\lib\\*.zip");
  EXPECT_EQ(directoryOf("C:\\app\\bin\\app.exe"), "C:\\app\\bin\\");
  EXPECT_EQ(directoryOf("app.exe"), "");
  EXPECT_EQ(cutToBuffer("abcdef", 4), "abc");
  EXPECT_EQ(cutToBuffer("ab", 8192), "ab");
}

}  // namespace
}  // namespace launcher
