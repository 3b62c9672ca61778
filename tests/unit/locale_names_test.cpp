#include "config/locale_names.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

TEST(LocaleNames, TableHasAllRows) { EXPECT_EQ(localeTableSize(), 215u); }

TEST(LocaleNames, FullIdentifierThenPrimaryLanguageThenNone) {
  struct Case {
    uint16_t languageId;
    const char* expected;  // nullptr: no locale name
  } cases[] = {
      {2055, "de_CH"},    {1031, "de_DE"},  {1033, "en_US"},   {18441, "en"},  // 18441: primary 9
      {9225, "en"},       {2066, "ko_KR"},  {1042, "ko_KR"},   {1037, "iw_IL"}, {1057, "in_ID"},
      {2068, "no_NO_NY"}, {1073, "ts"},     {20490, "es_PR"},  {9, "en"},      {86, "gl"},
      {40, nullptr},      {0, nullptr},     {0x0428, nullptr},  // 1064: primary 40 has no row
      {0x0C07, "de_AT"},  {0x1407, "de_LI"}, {0x2407, "de"},     // 9223: primary 7
  };
  for (const Case& c : cases) {
    auto name = localeNameForLanguage(c.languageId);
    if (c.expected) {
      ASSERT_TRUE(name.has_value()) << c.languageId;
      EXPECT_EQ(*name, c.expected) << c.languageId;
    } else {
      EXPECT_FALSE(name.has_value()) << c.languageId << " gave " << name.value_or("");
    }
  }
}

}  // namespace
}  // namespace launcher
