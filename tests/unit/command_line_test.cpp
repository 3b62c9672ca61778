#include "windows/command_line.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

struct SplitCase {
  std::u16string text;
  bool ok;
  std::vector<std::u16string> arguments;  // those appended before a failure, too
};

TEST(CommandLineSplitting, Examples) {
  const SplitCase cases[] = {
      {u"\"C:\\Program Files\\App\\app.exe\" x", true, {u"C:\\Program Files\\App\\app.exe", u"x"}},
      {u"a  b", true, {u"a", u"b"}},
      {u"a ", true, {u"a"}},
      {u"   ", true, {}},
      {u"", true, {}},
      {u"x\"y z\"w", true, {u"xy z", u"w"}},
      {u"\"\"", true, {u""}},
      {u"'a b'", true, {u"a b"}},
      {u"\"a b\"", true, {u"a b"}},
      {u"\"it's\"", true, {u"it's"}},
      {u"'say \"hi\"'", true, {u"say \"hi\""}},
      {u"it's", false, {}},
      {u"a\\\"b", false, {}},
      {u"one it's", false, {u"one"}},
      {u"a\tb c", true, {u"a\tb", u"c"}},
      {u"\"a\"\"b\"", true, {u"a", u"b"}},
      {u"\"a\" b", true, {u"a", u"b"}},
      {u"C:\\dir\\ \"q\"", true, {u"C:\\dir\\", u"q"}},
      {u"app.exe -Xfoo \"a b\" -J-Xmx64m", true, {u"app.exe", u"-Xfoo", u"a b", u"-J-Xmx64m"}},
      {u"\u00e9\u4e2d \"\U0001F600 x\"", true, {u"\u00e9\u4e2d", u"\U0001F600 x"}},
  };
  for (const SplitCase& c : cases) {
    std::vector<std::u16string> arguments;
    EXPECT_EQ(splitCommandLine(c.text, arguments), c.ok) << std::string(c.text.begin(), c.text.end());
    EXPECT_EQ(arguments, c.arguments) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(CommandLineSplitting, AppendsToWhatIsThere) {
  std::vector<std::u16string> arguments{u"program"};
  ASSERT_TRUE(splitCommandLine(u"x y", arguments));
  EXPECT_EQ(arguments, (std::vector<std::u16string>{u"program", u"x", u"y"}));
}

}  // namespace
}  // namespace launcher
