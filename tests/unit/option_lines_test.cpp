#include "windows/option_lines.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(OptionLines, CleaningKeepsTabsAndDropsCommentsAndBlankLines) {
  struct Case {
    const char* raw;
    std::optional<std::string> expected;
  } cases[] = {
      {"-Xmx512m -Xms64m\n", "-Xmx512m -Xms64m"},
      {"-Xmx1g\r\n", "-Xmx1g"},
      {"-Xmx1g\r\r\n\n", "-Xmx1g"},
      {"   # indented comment\n", std::nullopt},
      {"#comment", std::nullopt},
      {"\t-Dtab=1 \n", "\t-Dtab=1"},
      {"\t# a tab does not make a comment", "\t# a tab does not make a comment"},
      {"   \r\n", std::nullopt},
      {"", std::nullopt},
      {"  -Dx=\"a b\"  ", "-Dx=\"a b\""},
      {"\xEF\xBB\xBF-Dbom=1\n", "\xEF\xBB\xBF-Dbom=1"},
      {"\xEF\xBB\xBF# not a comment either", "\xEF\xBB\xBF# not a comment either"},
  };
  for (const Case& c : cases) EXPECT_EQ(cleanOptionLine(c.raw), c.expected) << c.raw;
}

TEST(OptionLines, ClassificationByExactKeyword) {
  struct Case {
    const char* line;
    OptionLineKind kind;
    const char* value;
  } cases[] = {
      {"-include-options other.vmoptions", OptionLineKind::Include, "other.vmoptions"},
      {"-include-options", OptionLineKind::Option, "-include-options"},
      {"-classpath a.jar;b.jar", OptionLineKind::ClassPathReplace, "a.jar;b.jar"},
      {"-classpath/p first.jar", OptionLineKind::ClassPathPrepend, "first.jar"},
      {"-classpath/a last.jar", OptionLineKind::ClassPathAppend, "last.jar"},
      {"-classpath", OptionLineKind::Option, "-classpath"},
      {"-Classpath x", OptionLineKind::Option, "-Classpath x"},
      {"-classpath/x y", OptionLineKind::Option, "-classpath/x y"},
      {"-classpath  two blanks", OptionLineKind::ClassPathReplace, " two blanks"},
      {"-cp x.jar", OptionLineKind::Option, "-cp x.jar"},
      {"-Djava.class.path=x", OptionLineKind::Option, "-Djava.class.path=x"},
      {"-Xmx512m -Xms64m", OptionLineKind::Option, "-Xmx512m -Xms64m"},
  };
  for (const Case& c : cases) {
    const OptionLine line = classifyOptionLine(c.line);
    EXPECT_EQ(line.kind, c.kind) << c.line;
    EXPECT_EQ(line.value, c.value) << c.line;
  }
}

TEST(OptionLines, IncludeArgumentsOfTheConfiguredParametersArePaired) {
  using V = std::vector<std::string>;
  EXPECT_EQ(joinIncludeArguments({"-Xmx1g", "-include-options", "C:\\my dir\\x.vmoptions", "-Da=1"}),
            (V{"-Xmx1g", "-include-options C:\\my dir\\x.vmoptions", "-Da=1"}));
  EXPECT_EQ(joinIncludeArguments({"-include-options"}), (V{"-include-options"}));
  EXPECT_EQ(joinIncludeArguments({"-classpath", "x.jar"}), (V{"-classpath", "x.jar"}));
  EXPECT_EQ(joinIncludeArguments({"-include-options", "-include-options", "a"}),
            (V{"-include-options -include-options", "a"}));
}

TEST(ClassPathEntries, LetterDigitAndText) {
  const std::vector<ClassPathEntry> entries =
      parseClassPathEntries("A1..\\bin\\app.jar;S1..\\lib;;D0..\\System\\Library\\Java;E0MY_CP;X1x;A;");
  ASSERT_EQ(entries.size(), 6u);
  const struct {
    char letter;
    bool mandatory;
    const char* text;
  } expected[] = {{'A', true, "..\\bin\\app.jar"}, {'S', true, "..\\lib"}, {'D', false, "..\\System\\Library\\Java"},
                  {'E', false, "MY_CP"},             {'X', true, "x"},       {'A', false, ""}};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].letter, expected[i].letter) << i;
    EXPECT_EQ(entries[i].mandatory, expected[i].mandatory) << i;
    EXPECT_EQ(entries[i].text, expected[i].text) << i;
  }
}

TEST(ClassPathEntries, EnclosingQuotesOnlyWhenBothEndsHaveThem) {
  EXPECT_EQ(withoutEnclosingQuotes("\"C:\\my libs\\a.jar\""), "C:\\my libs\\a.jar");
  EXPECT_EQ(withoutEnclosingQuotes("\"C:\\a.jar"), "\"C:\\a.jar");
  EXPECT_EQ(withoutEnclosingQuotes("\""), "\"");
  EXPECT_EQ(withoutEnclosingQuotes("\"\""), "");
  EXPECT_EQ(withoutEnclosingQuotes("a;b;"), "a;b;");
}

}  // namespace
}  // namespace launcher
