// Reading the appended block, end to end: the stamp tool writes it, and a
// launcher (or settings_probe.exe, which starts like one and prints what it
// read) reads it under Wine.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <string>

#include "harness/pe_layout.h"
#include "harness/scenario.h"

namespace e2e {
namespace {

constexpr uint32_t kMbIconError = 0x10;

// Where the block starts: behind the raw data of the section that the last
// section header describes.
std::size_t blockStart(const std::string& exe) { return blockPositionOf(exe).blockStart(); }

TEST(StampedProbe, ReadsConfiguredSettingsDefaultsAndWideTexts) {
  Scenario s;
  s.stamp(R"(
kind = "setup"
[settings]
name = "Demo Äpp"
main_class = "demo.Main"
product_letter = "e"
152 = "client"
[wide]
20013 = "Demo Wizard €"
30000 = "\u2713 done"
)",
          settingsProbe().string());
  const auto settings = s.probe();
  ASSERT_TRUE(settings);
  // Configured, by name and by id; narrow texts in code page 1252.
  EXPECT_EQ(settings->narrowText(101), "Demo \xC4pp") << *settings;
  EXPECT_EQ(settings->narrowText(122), "demo.Main");
  EXPECT_EQ(settings->narrowText(152), "client");
  // Defaults of a setup launcher.
  EXPECT_EQ(settings->narrowText(1000), "Error");
  EXPECT_EQ(settings->narrowText(1007), "Wrong Parameter Usage");
  EXPECT_EQ(settings->narrowText(107), "5");
  EXPECT_EQ(settings->narrowText(126), "1.6");
  EXPECT_EQ(settings->narrowText(2002), "0");
  // Wide texts: configured, added, and a default built from the name.
  EXPECT_EQ(settings->wideText(20013), "Demo Wizard \xE2\x82\xAC");
  EXPECT_EQ(settings->wideText(30000), "\xE2\x9C\x93 done");
  EXPECT_EQ(settings->wideText(20001),
            "Demo \xC3\x84pp is downloading the Java(TM) Runtime Environment. Please wait.");
  EXPECT_EQ(settings->productLetter, "e");
  EXPECT_EQ(settings->productWord, "velkor");
  // Without included files the Java-side block follows the configuration.
  const std::string exe = s.readFile("app.exe");
  ASSERT_LT(settings->configurationEnd + 4u, exe.size());
  EXPECT_EQ(exe.substr(settings->configurationEnd, 4), "\xE8\xE4\x13\xD5");
}

struct LocaleCase {
  const char* name;
  const char* firstSet;
  const char* secondSet;
  const char* locale;
  std::map<int32_t, std::string> wide;
};

void PrintTo(const LocaleCase& c, std::ostream* out) { *out << c.name; }

class LocalizedSets : public ::testing::TestWithParam<LocaleCase> {};

// Set "de" carries 20010 and 20011, set "de_CH" 20010 and 20012; the
// unlocalized texts are "base".
TEST_P(LocalizedSets, ApplyWhenTheirNameStartsTheUserLocaleAndTheLaterOneWins) {
  const LocaleCase& c = GetParam();
  const std::map<std::string, std::string> sets = {
      {"de", "[[localized]]\nlocale = \"de\"\nmessages = { 20010 = \"de 10\", 20011 = \"de 11\" }\n"},
      {"de_CH", "[[localized]]\nlocale = \"de_CH\"\nmessages = { 20010 = \"de_CH 10\", 20012 = \"de_CH 12\" }\n"},
  };
  Scenario s;
  s.stamp("kind = \"app\"\n[wide]\n20010 = \"base 10\"\n20011 = \"base 11\"\n20012 = \"base 12\"\n" +
              sets.at(c.firstSet) + sets.at(c.secondSet),
          settingsProbe().string());
  RunOptions options;
  options.locale = c.locale;
  const auto settings = s.probe("app.exe", options);
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->wide, c.wide) << *settings;
}

INSTANTIATE_TEST_SUITE_P(
    Wine, LocalizedSets,
    ::testing::Values(
        LocaleCase{"deThenDeChForDeCh", "de", "de_CH", "de_CH",
                   {{20010, "de_CH 10"}, {20011, "de 11"}, {20012, "de_CH 12"}}},
        LocaleCase{"deChThenDeForDeCh", "de_CH", "de", "de_CH",
                   {{20010, "de 10"}, {20011, "de 11"}, {20012, "de_CH 12"}}},
        LocaleCase{"neitherForEnUs", "de", "de_CH", "en_US",
                   {{20010, "base 10"}, {20011, "base 11"}, {20012, "base 12"}}}),
    [](const ::testing::TestParamInfo<LocaleCase>& info) { return std::string(info.param.name); });

TEST(RestampedExecutable, CarriesOnlyTheSecondBlock) {
  Scenario s;
  s.stamp("kind = \"app\"\n[settings]\nname = \"First\"\nmain_class = \"first.Main\"\n[wide]\n30001 = \"first only\"\n",
          settingsProbe().string(), "once.exe");
  const std::string second = "kind = \"app\"\n[settings]\nname = \"Second\"\n";
  s.stamp(second, "once.exe", "twice.exe");
  s.stamp(second, settingsProbe().string(), "direct.exe");

  EXPECT_EQ(s.readFile("twice.exe"), s.readFile("direct.exe")) << "restamping left bytes of the first block";
  const auto settings = s.probe("twice.exe");
  ASSERT_TRUE(settings);
  EXPECT_EQ(settings->narrowText(101), "Second");
  EXPECT_EQ(settings->narrowText(122), "") << "the first block's main class survived";
  EXPECT_EQ(settings->wideText(30001), std::nullopt) << "the first block's wide text survived";
  const std::string report = s.inspect("twice.exe");
  EXPECT_EQ(report, s.inspect("direct.exe"));
  EXPECT_EQ(report.find("First"), std::string::npos) << report;
  EXPECT_EQ(report.find("first"), std::string::npos) << report;
}

// The real application launcher with a block it cannot read: one error box
// with an empty title (message 1000 has not been read yet), exit code 1.
struct BrokenBlockCase {
  const char* name;
  const char* message;
  // Damages the stamped app.exe; nullptr leaves the launcher unstamped.
  void (*damage)(Scenario& s, std::size_t blockStart);
};

void PrintTo(const BrokenBlockCase& c, std::ostream* out) { *out << c.name; }

class BrokenBlock : public ::testing::TestWithParam<BrokenBlockCase> {};

// The stamped block's first narrow entry is setting 101, the name below.
constexpr char kName[] = "Broken Demo";
constexpr std::size_t kFirstNarrowEntry = 24;  // behind the header and the count

void cutAt(Scenario& s, std::size_t length) { s.writeFile("app.exe", s.readFile("app.exe").substr(0, length)); }

TEST_P(BrokenBlock, StopsWithOneErrorBox) {
  const BrokenBlockCase& c = GetParam();
  Scenario s;
  if (c.damage) {
    ASSERT_TRUE(s.stamp(std::string("kind = \"app\"\n[settings]\nname = \"") + kName + "\"\n", "app"));
    const std::string exe = s.readFile("app.exe");
    const std::size_t start = blockStart(exe);
    // What the cut points below rely on.
    ASSERT_EQ(exe.substr(start, 4), "\xD5\x13\xE4\xE8");
    ASSERT_GT(littleEndian32(exe, start + 20), 1u) << "narrow entries";
    ASSERT_EQ(littleEndian32(exe, start + kFirstNarrowEntry), 101u);
    ASSERT_EQ(littleEndian32(exe, start + kFirstNarrowEntry + 4), sizeof kName - 1);
    c.damage(s, start);
  } else {
    s.copyExecutable("app");
  }
  const RunResult r = s.run("app.exe");
  EXPECT_EQ(r.exitCode, 1) << r;
  ASSERT_EQ(r.boxes.size(), 1u) << r;
  EXPECT_EQ(r.boxes[0].text, c.message) << r;
  EXPECT_EQ(r.boxes[0].title, "") << r;
  EXPECT_EQ(r.boxes[0].flags, kMbIconError) << r;
  EXPECT_TRUE(r.logFiles.empty()) << r;
}

INSTANTIATE_TEST_SUITE_P(
    AppLauncher, BrokenBlock,
    ::testing::Values(
        BrokenBlockCase{"unstamped", "Internal Error: readInt", nullptr},
        BrokenBlockCase{"firstByteChanged", "Internal Error: magic",
                        [](Scenario& s, std::size_t start) {
                          std::string exe = s.readFile("app.exe");
                          exe[start] = static_cast<char>(exe[start] ^ 0x01);
                          s.writeFile("app.exe", exe);
                        }},
        BrokenBlockCase{"cutInsideTheFirstId", "Internal Error: readInt",
                        [](Scenario& s, std::size_t start) { cutAt(s, start + kFirstNarrowEntry + 2); }},
        BrokenBlockCase{"cutInsideTheFirstText", "Internal Error: readString",
                        [](Scenario& s, std::size_t start) { cutAt(s, start + kFirstNarrowEntry + 8 + 5); }}),
    [](const ::testing::TestParamInfo<BrokenBlockCase>& info) { return std::string(info.param.name); });

TEST(CommandLine, AnUnclosedQuoteStopsTheApplicationLauncher) {
  Scenario s;
  s.stamp("kind = \"app\"\n[settings]\nmain_class = \"demo.Main\"\n", "app");
  const RunResult r = s.runCommandLine("app.exe", " it's");
  EXPECT_EQ(r.exitCode, 1) << r;
  ASSERT_EQ(r.boxes.size(), 1u) << r;
  EXPECT_EQ(r.boxes[0].text, "Wrong Parameter Usage") << r;
  EXPECT_EQ(r.boxes[0].title, "") << r;
  EXPECT_EQ(r.boxes[0].flags, kMbIconError) << r;
}

}  // namespace
}  // namespace e2e
