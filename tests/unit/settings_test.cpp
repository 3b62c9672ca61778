#include "config/settings.h"

#include <gtest/gtest.h>

namespace launcher {
namespace {

class SettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override { g_settings = {}; }
  void TearDown() override { g_settings = {}; }
};

TEST(SettingsConversion, IntegerReadsLikeAtoi) {
  struct Case {
    const char* text;
    int32_t expected;
  } cases[] = {
      {"", 0},       {"5", 5},        {"1", 1},         {"-1", -1},          {" 7", 7},
      {" 12abc", 12}, {"abc", 0},      {"+3", 3},        {"\t\n 42", 42},     {"- 1", 0},
      {"0x10", 0},   {"007", 7},      {"2147483647", 2147483647},          {"-2147483648", INT32_MIN},
      {"99999999999999999999", INT32_MAX}, {"-99999999999999999999", INT32_MIN},
  };
  for (const Case& c : cases) EXPECT_EQ(parseAtoi(c.text), c.expected) << '"' << c.text << '"';
}

TEST(SettingsConversion, ColourIsRedGreenBlueWithLowBytesOnly) {
  struct Case {
    const char* text;
    uint32_t expected;
  } cases[] = {
      {"255,255,255", 0x00FFFFFF}, {"0,0,0", 0},          {"1,2,3", 0x00030201},
      {"300,0,0", 0x0000002C},     {"1,,2,,3", 0x00030201}, {",1,2,3", 0x00030201},
      {"10,20", 0x0000140A},       {"", 0},               {"-1,0,0", 0x000000FF},
      {" 4, 5 ,6", 0x00060504},    {"1,2,3,4", 0x00030201},
  };
  for (const Case& c : cases) EXPECT_EQ(parseColor(c.text), c.expected) << '"' << c.text << '"';
}

TEST_F(SettingsStoreTest, AbsentIdsReadAsEmptyAndZero) {
  EXPECT_EQ(getSetting(101), "");
  EXPECT_EQ(getWideSetting(20013), u"");
  EXPECT_EQ(getIntSetting(107), 0);
  EXPECT_EQ(getColorSetting(10114), 0u);
}

TEST_F(SettingsStoreTest, NarrowAndWideTablesAreSeparate) {
  g_settings.narrow.insert_or_assign(101, std::string("narrow"));
  g_settings.wide[20013] = u"wide";
  EXPECT_EQ(getSetting(20013), "");
  EXPECT_EQ(getWideSetting(101), u"");
  EXPECT_EQ(getSetting(101), "narrow");
  EXPECT_EQ(getWideSetting(20013), u"wide");
}

TEST_F(SettingsStoreTest, CallerBuffersCutTheText) {
  g_settings.narrow[152] = std::string(300, 's');
  g_settings.narrow.insert_or_assign(2001, std::string("iX"));
  g_settings.narrow[123] = std::string(9000, 'x');
  g_settings.wide[20001] = std::u16string(9000, u'w');
  EXPECT_EQ(getSetting(152, 200).size(), 199u);
  EXPECT_EQ(getSetting(2001, 2), "i");
  EXPECT_EQ(getSetting(123).size(), kTextBufferSize - 1);
  EXPECT_EQ(getWideSetting(20001).size(), kTextBufferSize - 1);
}

TEST_F(SettingsStoreTest, ATextEndsAtItsFirstZeroByte) {
  g_settings.narrow[101] = std::string("ab\0cd", 5);
  EXPECT_EQ(getSetting(101), "ab");
}

TEST_F(SettingsStoreTest, AccessorsReadTheStore) {
  g_settings.narrow.insert_or_assign(107, std::string("5"));
  g_settings.narrow.insert_or_assign(10114, std::string("255,0,128"));
  EXPECT_EQ(getIntSetting(107), 5);
  EXPECT_EQ(getColorSetting(10114), 0x008000FFu);
}

}  // namespace
}  // namespace launcher
