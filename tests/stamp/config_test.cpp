// The config loader: the defaults every block carries, how values of each
// form are written, code pages, included files and the Java side, and the
// result read back by the launchers' own reader.
#include "stamp/config.h"

#include <gtest/gtest.h>

#include <map>

#include "stamp/text_encoding.h"
#include "stamp_test_support.h"

namespace launcher::stamp {
namespace {

using testing::readAsLauncher;
using testing::ScratchDirectory;

StampConfig load(const std::string& toml, const std::filesystem::path& directory = {}) {
  ConfigResult result = loadConfig(toml, directory);
  EXPECT_TRUE(result.ok()) << result.error;
  return result.config;
}

std::string loadError(const std::string& toml, const std::filesystem::path& directory = {}) {
  return loadConfig(toml, directory).error;
}

std::map<int32_t, std::string> narrowMap(const BlockContents& contents) {
  std::map<int32_t, std::string> map;
  for (const auto& [id, text] : contents.narrow) map[id] = text;
  return map;
}

// Every narrow setting and its value for a minimal config ("name" = Demo),
// setup launcher first; messages are checked apart.
struct DefaultValue {
  int32_t id;
  const char* setup;
  const char* app;
};
const DefaultValue kDefaults[] = {
    {101, "Demo", "Demo"}, {102, "1", "1"}, {103, "error.log", "error.log"}, {104, "0", "0"},
    {105, "output.log", "output.log"}, {106, "0", "1"}, {107, "5", "1"}, {108, "0", "1"}, {121, "", ""},
    {122, "com.morvane.runtime.installer.Installer", ""}, {123, " -Dsun.java2d.noddraw=true", ""}, {124, "", ""},
    {125, "1", "1"}, {126, "1.6", "1.6"}, {127, "1.6", "1.6"},
    {128, "Y;EJAVA_HOME;EJDK_HOME;", "Y;EJAVA_HOME;EJDK_HOME;"}, {130, "0", "0"}, {131, "0", "0"},
    {141, "0", "430"}, {142, "0", "260"}, {145, "1", "1"}, {146, ".", "."}, {147, "1", "0"}, {149, "", ""},
    {150, "", ""}, {151, "0", "0"}, {152, "", "server"}, {153, "0", "0"}, {154, "0", "0"}, {155, "0", "0"},
    {156, "0", "0"}, {157, "0", "0"}, {158, "0", "0"}, {159, "0", "0"}, {160, "", ""}, {161, "1", "0"},
    {2001, "i", "i"}, {2002, "0", "0"}, {2003, "", ""}, {10003, ".", "..\\"}, {10004, "", "..\\lib"},
    {10005, "0", "1"}, {10109, "20", "20"}, {10110, "200", "200"}, {10111, "", ""}, {10112, "Arial", "Arial"},
    {10113, "8", "8"}, {10114, "0,0,0", "0,0,0"}, {10115, "400", "400"}, {10116, "20", "20"},
    {10117, "220", "220"}, {10118, "", ""}, {10119, "Arial", "Arial"}, {10120, "8", "8"},
    {10121, "0,0,0", "0,0,0"}, {10122, "400", "400"}, {10123, "0", "0"},
};

TEST(ConfigDefaults, AMinimalConfigGivesEveryNarrowSettingOnceInAscendingOrder) {
  for (const char* kind : {"setup", "app"}) {
    const bool setup = std::string(kind) == "setup";
    const StampConfig config = load(std::string("kind = \"") + kind + "\"\n[settings]\nname = \"Demo\"\n");
    const std::vector<std::pair<int32_t, std::string>>& narrow = config.contents.narrow;
    ASSERT_EQ(narrow.size(), std::size(kDefaults) + 21) << kind;  // and messages 1000 to 1020
    for (std::size_t i = 1; i < narrow.size(); ++i) EXPECT_LT(narrow[i - 1].first, narrow[i].first) << kind;
    std::map<int32_t, std::string> values = narrowMap(config.contents);
    for (const DefaultValue& d : kDefaults) EXPECT_EQ(values[d.id], setup ? d.setup : d.app) << kind << " " << d.id;
    for (int32_t id = 1000; id <= 1020; ++id) EXPECT_FALSE(values[id].empty()) << id;
    EXPECT_EQ(config.contents.integrity, setup) << kind;
    EXPECT_TRUE(config.contents.localized.empty());
    EXPECT_TRUE(config.contents.includedFiles.empty());
    EXPECT_TRUE(config.contents.javaSide.empty()) << "no Java-side entries unless configured";
  }
}

TEST(ConfigDefaults, SettingsOutsideTheCatalogueTakeTheirPlaceInTheOrder) {
  const StampConfig config = load("kind = \"app\"\n[settings]\n99999 = \"x\"\n-3 = \"y\"\n");
  const auto& narrow = config.contents.narrow;
  for (std::size_t i = 1; i < narrow.size(); ++i) EXPECT_LT(narrow[i - 1].first, narrow[i].first) << i;
  EXPECT_EQ(narrow.front(), (std::pair<int32_t, std::string>{-3, "y"}));
  EXPECT_EQ(narrow.back(), (std::pair<int32_t, std::string>{99999, "x"}));
}

TEST(ConfigDefaults, MessagesAreWrittenAsTheLaunchersShowThem) {
  std::map<int32_t, std::string> values = narrowMap(load("kind = \"app\"").contents);
  EXPECT_EQ(values[1000], "Error");
  EXPECT_EQ(values[1001],
            "No JVM could be found on your system.\nPlease define VELKOR_JAVA_HOME\nto point to an installed JDK or JRE "
            "or download a JRE from https://java.com.");
  EXPECT_EQ(values[1006], "File or directory {0} not found or empty\n");
  EXPECT_EQ(values[1009], "An internal error occurred (error code: {0})");
  EXPECT_EQ(values[1013], "Ok");
  EXPECT_EQ(values[1016],
            "No JVM could be found on your system.\nPlease define VELKOR_JAVA_HOME\nto point to an installed {0}-bit JDK "
            "or JRE or download a JRE from https://java.com.");
  EXPECT_EQ(values[1020],
            "The JVM found at {0} is damaged.\nPlease reinstall or define VELKOR_JAVA_HOME\nto point to an installed "
            "64-bit JDK or JRE.");
}

TEST(ConfigDefaults, WideTextsOnlyForSetupAndBuiltOnTheName) {
  EXPECT_TRUE(load("kind = \"app\"\n[settings]\nname = \"Demo\"").contents.wide.empty());
  const StampConfig setup = load("kind = \"setup\"\n[settings]\nname = \"Caf\u00e9\"");
  std::map<int32_t, std::u16string> wide(setup.contents.wide.begin(), setup.contents.wide.end());
  std::vector<int32_t> ids;
  for (const auto& [id, text] : setup.contents.wide) ids.push_back(id);
  std::vector<int32_t> expected;
  for (int32_t id = 20001; id <= 20020; ++id)
    if (id != 20017) expected.push_back(id);
  EXPECT_EQ(ids, expected);
  EXPECT_EQ(wide[20001], u"Caf\u00e9 is downloading the Java(TM) Runtime Environment. Please wait.");
  EXPECT_EQ(wide[20007],
            u"Caf\u00e9 is preparing the morvane Wizard which will guide you through the rest of the setup process.");
  EXPECT_EQ(wide[20004], u"Please choose the file \"java.exe\" of the JRE");
  EXPECT_EQ(wide[20014],
            u"The Java(TM) VM could not be started. Please restart\nthe installation.You may use the parameter "
            u"\"/manual\"\nto download or manually select a different VM.");
  EXPECT_EQ(wide[20013], u"morvane Wizard");
  EXPECT_EQ(wide[20016], u"The installation file is corrupted. If it is a download please try it again.");
  EXPECT_EQ(wide[20008], u"%.2f MB of %.2f MB (%.1f%%) at %.1f kb/s");
}

TEST(ConfigDefaults, WideSectionOverridesAndExtends) {
  const StampConfig setup = load("kind = \"setup\"\n[wide]\n20013 = \"Setup\"\n30000 = \"extra\"\n");
  std::map<int32_t, std::u16string> wide(setup.contents.wide.begin(), setup.contents.wide.end());
  EXPECT_EQ(wide[20013], u"Setup");
  EXPECT_EQ(wide[30000], u"extra");
  EXPECT_EQ(wide[20001], u" is downloading the Java(TM) Runtime Environment. Please wait.") << "no name: empty";
  const StampConfig app = load("kind = \"app\"\n[wide]\n20013 = \"Only this\"\n");
  EXPECT_EQ(app.contents.wide, (std::vector<std::pair<int32_t, std::u16string>>{{20013, u"Only this"}}));
}

TEST(ConfigDefaults, PreviousInstallationsFollowTheApplicationId) {
  struct Case {
    const char* toml;
    const char* expected;
  } cases[] = {
      {"kind = \"setup\"\napplication_id = \"1234-5678\"", "allinstdirs1234-5678"},
      {"kind = \"setup\"", ""},
      {"kind = \"app\"\napplication_id = \"1234-5678\"", ""},
      {"kind = \"setup\"\napplication_id = \"1\"\n[settings]\nprevious_installations = \"mine\"", "mine"},
  };
  for (const Case& c : cases) EXPECT_EQ(narrowMap(load(c.toml).contents)[160], c.expected) << c.toml;
}

TEST(ConfigValues, EachFormTakesItsValueTypes) {
  struct Case {
    const char* assignment;
    int32_t id;
    const char* expected;
  } cases[] = {
      {"main_class = \"com.example.Main\"", 122, "com.example.Main"},
      {"min_version = \"1.8\"", 126, "1.8"},
      {"name = 2024", 101, "2024"},
      {"executable_kind = 2", 107, "2"},
      {"executable_kind = -1", 107, "-1"},
      {"executable_kind = \"5\"", 107, "5"},
      {"executable_kind = true", 107, "1"},
      {"splash = false", 108, "0"},
      {"splash = true", 108, "1"},
      {"splash = 3", 108, "3"},
      {"single_instance = \"0\"", 10005, "0"},
      {"status_color = [255, 0, 16]", 10114, "255,0,16"},
      {"version_color = \"1,2,3\"", 10121, "1,2,3"},
      {"1001 = \"custom message\"", 1001, "custom message"},
      {"122 = \"by number\"", 122, "by number"},
      {"99999 = \"text\"", 99999, "text"},
      {"-2147483648 = 7", INT32_MIN, "7"},
      {"2147483647 = true", INT32_MAX, "1"},
      {"product_letter = \"e\"", 2001, "e"},
  };
  for (const Case& c : cases) {
    const StampConfig config = load(std::string("kind = \"app\"\n[settings]\n") + c.assignment + "\n");
    EXPECT_EQ(narrowMap(config.contents)[c.id], c.expected) << c.assignment;
  }
}

TEST(ConfigValues, WrongTypesAreRejectedWithTheExpectedForm) {
  struct Case {
    const char* assignment;
    const char* error;
  } cases[] = {
      {"main_class = true", "settings.main_class: expected a string"},
      {"min_version = 1.6", "settings.min_version: expected a string"},
      {"executable_kind = \"GUI\"", "settings.executable_kind: expected an integer"},
      {"executable_kind = 1.0", "settings.executable_kind: expected an integer"},
      {"splash = \"yes\"", "settings.splash: expected a boolean or an integer"},
      {"status_color = 5", "settings.status_color: expected a string or [r, g, b]"},
      {"status_color = [1, 2]", "settings.status_color: expected [r, g, b] with components from 0 to 255"},
      {"status_color = [1, 2, 256]", "settings.status_color: expected [r, g, b] with components from 0 to 255"},
      {"status_color = [1, 2, \"3\"]", "settings.status_color: expected [r, g, b] with components from 0 to 255"},
      {"99999 = 1.5", "settings.99999: expected a string, an integer or a boolean"},
      {"99999 = [1]", "settings.99999: expected a string, an integer or a boolean"},
      {"2147483648 = \"x\"", "settings.2147483648: not a signed 32-bit id"},
      {"name = \"a\"\n101 = \"b\"", "settings.name: sets the same setting as settings.101"},
      {"mian_class = \"x\"", "settings.mian_class: unknown setting name"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(loadError(std::string("kind = \"app\"\n[settings]\n") + c.assignment + "\n"), c.error) << c.assignment;
}

TEST(ConfigCodePages, NarrowTextsAreWrittenInTheCodePageAndReadBackByTheLauncher) {
  struct Case {
    int codePage;
    const char* utf8;
    std::string expected;
  } cases[] = {
      {1252, "Caf\u00e9 \u20ac5", "Caf\xE9 \x80" "5"},
      {1250, "\u010c\u0159 \u20ac \u00e9", "\xC8\xF8 \x80 \xE9"},
      {1251, "\u041f\u0440\u0438", "\xCF\xF0\xE8"},
      {65001, "\u65e5\u672c", "\xE6\x97\xA5\xE6\x9C\xAC"},
  };
  for (const Case& c : cases) {
    const std::string toml = "kind = \"setup\"\ncode_page = " + std::to_string(c.codePage) +
                             "\n[settings]\nname = \"" + c.utf8 + "\"\nclass_path = \"" + c.utf8 + "\"\n";
    const StampConfig config = load(toml);
    const StampResult stamped = stampExecutable(testing::smallPe(), config.contents);
    ASSERT_TRUE(stamped.ok()) << stamped.error;
    testing::LauncherView view = readAsLauncher(stamped.executable);
    ASSERT_EQ(view.result.error, BlockError::None);
    EXPECT_EQ(view.store.narrow.at(101), c.expected) << c.codePage;
    EXPECT_EQ(view.store.narrow.at(121), c.expected) << c.codePage;
    // The wide texts take the name in UTF-16, whatever the code page.
    const std::u16string name = utf8ToUtf16(c.utf8);
    EXPECT_EQ(view.store.wide.at(20001).substr(0, name.size() + 1), name + u" ") << c.codePage;
  }
}

TEST(ConfigCodePages, TextsTheCodePageCannotHoldAreRejected) {
  struct Case {
    const char* toml;
    const char* error;
  } cases[] = {
      {"code_page = 1252\n[settings]\nname = \"\u010c\"", "settings.name: \"\u010c\" cannot be written in code page 1252"},
      {"code_page = 1250\n[settings]\n103 = \"\u65e5.log\"", "settings.103: \"\u65e5.log\" cannot be written in code page 1250"},
      // Best-fit look-alikes are refused: there is no plain "A" for an A with ring in 1250.
      {"code_page = 1250\n[settings]\nname = \"\u00c5\"", "settings.name: \"\u00c5\" cannot be written in code page 1250"},
      {"[settings]\nname = \"two\\nlines \u2603\"", "settings.name: \"two\\nlines \u2603\" cannot be written in code page 1252"},
      {"[[files]]\nname = \"\u2603.jar\"\ncontent = \"\"", "files[0].name: \"\u2603.jar\" cannot be written in code page 1252"},
      {"[[localized]]\nlocale = \"\u2603\"", "localized[0].locale: \"\u2603\" cannot be written in code page 1252"},
      {"code_page = 4242", "code_page: unsupported code page 4242"},
      {"code_page = 0", "code_page: unsupported code page 0"},
      {"code_page = \"1252\"", "code_page: expected an integer"},
  };
  for (const Case& c : cases) EXPECT_EQ(loadError(std::string("kind = \"app\"\n") + c.toml), c.error) << c.toml;
}

TEST(ConfigPayload, IncludedFilesAreCountedNamedAndStoredInOrder) {
  ScratchDirectory directory;
  directory.write("lib/runtime.jar", std::vector<uint8_t>{0x50, 0x4B, 0x00, 0xA7, 0xFF});
  const StampConfig config = load(
      "kind = \"setup\"\n"
      "[[files]]\nname = \"mqvruntime.jar\"\nsource = \"lib/runtime.jar\"\n"
      "[[files]]\nname = 'user\\a.jar'\ncontent = \"inline \u00e9\"\n"
      "[[files]]\nname = \"empty.txt\"\ncontent = \"\"\n",
      directory.path());
  std::map<int32_t, std::string> values = narrowMap(config.contents);
  EXPECT_EQ(values[2002], "3");
  EXPECT_EQ(values[2003], "mqvruntime.jar;user\\a.jar;empty.txt;");
  ASSERT_EQ(config.contents.includedFiles.size(), 3u);
  EXPECT_EQ(config.contents.includedFiles[0], (std::vector<uint8_t>{0x50, 0x4B, 0x00, 0xA7, 0xFF}));
  EXPECT_EQ(config.contents.includedFiles[1], (std::vector<uint8_t>{'i', 'n', 'l', 'i', 'n', 'e', ' ', 0xC3, 0xA9}));
  EXPECT_TRUE(config.contents.includedFiles[2].empty());
}

TEST(ConfigPayload, ExplicitCountAndNamesWinOverTheFiles) {
  const std::string files = "[[files]]\nname = \"a.jar\"\ncontent = \"a\"\n[[files]]\nname = \"b.jar\"\ncontent = \"b\"\n";
  struct Case {
    const char* settings;
    const char* count;
    const char* names;
  } cases[] = {
      {"", "2", "a.jar;b.jar;"},
      {"included_file_count = 5\n", "5", "a.jar;b.jar;"},
      {"2003 = \"only.jar;\"\n", "2", "only.jar;"},
      {"2002 = 1\nincluded_file_names = \"x;y;z;\"\n", "1", "x;y;z;"},
  };
  for (const Case& c : cases) {
    const StampConfig config = load(std::string("kind = \"app\"\n[settings]\n") + c.settings + files);
    std::map<int32_t, std::string> values = narrowMap(config.contents);
    EXPECT_EQ(values[2002], c.count) << c.settings;
    EXPECT_EQ(values[2003], c.names) << c.settings;
    EXPECT_EQ(config.contents.includedFiles.size(), 2u) << "the files are stored all the same";
  }
}

TEST(ConfigPayload, JavaSideEntriesAndLocalizedSetsKeepTheirOrder) {
  ScratchDirectory directory;
  directory.write("setup.zip", std::string("PK zip"));
  const StampConfig config = load(
      "kind = \"setup\"\n"
      "[[java_side]]\nname = \"0.dat\"\nsource = \"setup.zip\"\n"
      "[[java_side]]\nname = \"n\\u0000\u00e9\"\ncontent = \"x\"\n"
      "[[localized]]\nlocale = \"de_CH\"\n[localized.messages]\n20013 = \"CH\"\n"
      "[[localized]]\nlocale = \"de\"\n[localized.messages]\n20013 = \"Einrichtung\"\n20016 = \"kaputt\"\n"
      "[[localized]]\nlocale = \"\"\n",
      directory.path());
  ASSERT_EQ(config.contents.javaSide.size(), 2u);
  EXPECT_EQ(config.contents.javaSide[0].first, "0.dat");
  EXPECT_EQ(config.contents.javaSide[0].second, (std::vector<uint8_t>{'P', 'K', ' ', 'z', 'i', 'p'}));
  EXPECT_EQ(config.contents.javaSide[1].first, std::string("n\0\xC3\xA9", 4));
  ASSERT_EQ(config.contents.localized.size(), 3u);
  EXPECT_EQ(config.contents.localized[0].locale, "de_CH");
  EXPECT_EQ(config.contents.localized[1].messages,
            (std::vector<std::pair<int32_t, std::u16string>>{{20013, u"Einrichtung"}, {20016, u"kaputt"}}));
  EXPECT_TRUE(config.contents.localized[2].messages.empty());

  // For a user in de_CH both named sets apply and the later one wins.
  testing::LauncherView view = readAsLauncher(stampExecutable(testing::smallPe(), config.contents).executable, "de_CH");
  ASSERT_EQ(view.result.error, BlockError::None);
  EXPECT_EQ(view.store.wide.at(20013), u"Einrichtung");
  EXPECT_EQ(view.store.wide.at(20016), u"kaputt");
}

TEST(ConfigPaths, LauncherOutputAndSourcesAreRelativeToTheConfig) {
  const StampConfig config =
      load("kind = \"app\"\nlauncher = \"bin/app-launcher.exe\"\noutput = \"/abs/demo.exe\"\n", "/configs/here");
  ASSERT_TRUE(config.launcher && config.output);
  EXPECT_EQ(*config.launcher, std::filesystem::path("/configs/here/bin/app-launcher.exe"));
  EXPECT_EQ(*config.output, std::filesystem::path("/abs/demo.exe"));
  const StampConfig bare = load("kind = \"app\"");
  EXPECT_FALSE(bare.launcher);
  EXPECT_FALSE(bare.output);
}

TEST(ConfigStructure, ProblemsNameTheirKey) {
  struct Case {
    const char* toml;
    const char* error;
  } cases[] = {
      {"", "kind: missing (\"app\" or \"setup\")"},
      {"kind = \"installer\"", "kind: expected \"app\" or \"setup\""},
      {"kind = 1", "kind: expected \"app\" or \"setup\""},
      {"kind = \"app\"\nmian = 1", "mian: unknown key"},
      {"kind = \"app\"\nintegrity = \"yes\"", "integrity: expected a boolean"},
      {"kind = \"app\"\nlauncher = 5", "launcher: expected a string"},
      {"kind = \"app\"\noutput = \"\"", "output: must not be empty"},
      {"kind = \"app\"\napplication_id = 12", "application_id: expected a string"},
      {"kind = \"app\"\nsettings = 3", "settings: expected a table"},
      {"kind = \"app\"\n[wide]\nabc = \"x\"", "wide.abc: expected a numeric id"},
      {"kind = \"app\"\n[wide]\n20013 = 5", "wide.20013: expected a string"},
      {"kind = \"app\"\nwide = []", "wide: expected a table"},
      {"kind = \"app\"\n[[localized]]\nmessages = {}", "localized[0].locale: missing"},
      {"kind = \"app\"\n[[localized]]\nlocale = \"de\"\nmessages = {x = \"y\"}", "localized[0].messages.x: expected a numeric id"},
      {"kind = \"app\"\n[[localized]]\nlocale = \"de\"\nlang = 1", "localized[0].lang: unknown key"},
      {"kind = \"app\"\nlocalized = 1", "localized: expected an array of tables ([[localized]])"},
      {"kind = \"app\"\n[[files]]\ncontent = \"x\"", "files[0].name: missing"},
      {"kind = \"app\"\n[[files]]\nname = \"\"\ncontent = \"x\"", "files[0].name: must not be empty"},
      {"kind = \"app\"\n[[files]]\nname = \"a;b\"\ncontent = \"x\"", "files[0].name: must not contain \";\""},
      {"kind = \"app\"\n[[files]]\nname = \"a\"", "files[0]: needs source or content"},
      {"kind = \"app\"\n[[files]]\nname = \"a\"\ncontent = \"x\"\nsource = \"y\"", "files[0]: give either source or content, not both"},
      {"kind = \"app\"\n[[files]]\nname = \"a\"\ncontent = 1", "files[0].content: expected a string"},
      {"kind = \"app\"\n[[files]]\nname = \"a\"\ncontent = \"x\"\n[[files]]\nname = \"b\"\nsource = \"missing.jar\"",
       "files[1].source: cannot read \"missing.jar\""},
      {"kind = \"app\"\n[[files]]\nname = \"a\"\nsource = \"\"", "files[0].source: cannot read \"\""},
      {"kind = \"app\"\n[[java_side]]\nname = 1\ncontent = \"x\"", "java_side[0].name: expected a string"},
      {"kind = \"app\"\n[[java_side]]\nname = \"a\"\nsize = 1", "java_side[0].size: unknown key"},
      {"kind = \"app\"\nfiles = {}", "files: expected an array of tables ([[files]])"},
  };
  for (const Case& c : cases) EXPECT_EQ(loadError(c.toml, "/nonexistent-config-dir"), c.error) << c.toml;
}

TEST(ConfigStructure, SyntaxErrorsGiveTheirPosition) {
  const std::string error = loadError("kind = \"app\"\n[settings\nname = 1\n");
  EXPECT_EQ(error.rfind("line 2, column ", 0), 0u) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
  const std::string unterminated = loadError("kind = \"app\nname = 1\n");
  EXPECT_EQ(unterminated.rfind("line 1, column ", 0), 0u) << unterminated;
}

TEST(ConfigStructure, ASourceThatIsADirectoryCannotBeRead) {
  ScratchDirectory directory;
  std::filesystem::create_directories(directory.path() / "lib");
  EXPECT_EQ(loadError("kind = \"app\"\n[[files]]\nname = \"a\"\nsource = \"lib\"", directory.path()),
            "files[0].source: cannot read \"lib\"");
}

}  // namespace
}  // namespace launcher::stamp
