#include "discovery/version_rules.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(VersionRules, RangeComparedAsTextOverTheBoundsLength) {
  struct Case {
    const char* version;
    const char* minimum;
    const char* maximum;
    bool preReleasesAllowed;
    bool accepted;
  } cases[] = {
      {"1.6.0_20", "1.6", "1.6", false, true},
      {"1.6", "1.6", "1.6", false, true},
      {"1.5.0_22", "1.6", "1.6", false, false},
      {"1.7.0", "1.6", "1.6", false, false},
      {"1.6.0-ea", "1.6", "1.6", false, false},
      {"1.6.0-ea", "1.6", "1.6", true, true},
      {"1.6.0-beta2", "1.6", "1.6", false, false},
      {"1.6.0-rc", "1.6", "1.6", false, false},
      {"1.0.0", "1.6", "1.6", false, false},
      {"1.0.0", "", "", false, true},
      {"1.6.0_3", "1.6.0_21", "1.6", false, true},   // '3' > '2' at the first difference
      {"1.10.0", "1.6", "", false, false},           // '1' < '6'
      {"anything", "", "", false, true},
      {"1.6", "1.6.0_21", "", false, false},         // ends early: compared with zero bytes
      {"17.0.2", "1.8", "", false, true},
      {"17.0.2", "1.8", "1.8", false, false},
      {"11.0.1", "11", "17", false, true},
      {"1.6.0_20", "1.6.0_20", "1.6.0_20", false, true},
      {"\xC3\xA9", "\x7F", "", false, true},         // unsigned bytes
  };
  for (const Case& c : cases)
    EXPECT_EQ(versionInRange(c.version, c.minimum, c.maximum, c.preReleasesAllowed), c.accepted)
        << c.version << " in [" << c.minimum << ", " << c.maximum << "]";
}

TEST(VersionRules, RegistryTextsComparedOverTheShorterLength) {
  struct Case {
    const char* version;
    bool accepted;
  } cases[] = {{"1.6", true}, {"1.6.0_20", true}, {"1.5", false}, {"1.7", false}, {"1", true}, {"", true},
               {"1.6.0_09", false}, {"1.6.0-ea", false}, {"1.6.0_20-ea", true}};
  for (const Case& c : cases) EXPECT_EQ(versionPrefixInRange(c.version, "1.6.0_10", "1.6"), c.accepted) << c.version;
}

TEST(VersionRules, VersionFromTheFirstOutputLine) {
  struct Case {
    const char* line;
    std::optional<std::string> version;
  } cases[] = {
      {"java version \"1.6.0_20\"\n", "1.6.0_20"},
      {"java version \"1.6.0_20\"", "1.6.0_20"},
      {"openjdk version \"1.7.0-u40\"\n", "1.7.0-u40"},
      {"openjdk version \"17.0.2\" 2022-01-18\n", "17.0.2"},
      {"openjdk version \"21.0.1\" 2023-10-17 LTS\n", "21.0.1"},
      {"java version \"1.8.0_381\"\r\n", "1.8.0_381"},
      {"java version \"\"\n", ""},
      {"java version \"1.6.0_20\n", "1.6.0_20"},
      {"java version 1.6.0_20\n", std::nullopt},
      {"Picked up _JAVA_OPTIONS: -Xmx1g\n", std::nullopt},
      {"Java version \"1.6\"\n", std::nullopt},
      {"", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(versionFromFirstLine(c.line), c.version) << c.line;
}

TEST(SearchSequence, EntriesAndAbsoluteValues) {
  const std::vector<SearchEntry> entries =
      parseSearchSequence(";B..\\jre;EMYAPP_JAVA_HOME;;Y;S;X..\\foo;R..\\opt\\java1.6;");
  const std::vector<std::pair<char, std::string>> expected = {
      {'B', "..\\jre"}, {'E', "MYAPP_JAVA_HOME"}, {'Y', ""}, {'S', ""}, {'X', "..\\foo"}, {'R', "..\\opt\\java1.6"}};
  ASSERT_EQ(entries.size(), expected.size());
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].letter, expected[i].first);
    EXPECT_EQ(entries[i].value, expected[i].second);
  }
  EXPECT_TRUE(parseSearchSequence("").empty());
  for (const char* absolute : {"C:\\java", "\\\\server\\java", "C:", "c:relative"}) EXPECT_TRUE(isAbsoluteSearchValue(absolute)) << absolute;
  for (const char* relative : {"..\\jre", "\\java", "C", "", "${MYDIR}\\jre", "/x"}) EXPECT_FALSE(isAbsoluteSearchValue(relative)) << relative;
}

}  // namespace
}  // namespace launcher
