// The search sequence against real runtime directories, variables, location
// files and installation records.
#include "discovery/search.h"

#include <gtest/gtest.h>

#include "discovery/registry.h"
#include "support/discovery_fixtures.h"

namespace launcher {
namespace {

using namespace launcher::testing;

// The executable lives in dir\app\bin; its installation directory is dir\app.
class Search : public ::testing::Test {
 protected:
  void SetUp() override {
    guard.setExecutable(dir.file("app\\bin\\app.exe"));
    dir.makeDirectory("app\\bin");
    g_settings.narrow[setting::ExecutableKind] = std::string("5");
    g_settings.narrow[setting::InstallationDirectory] = std::string("..\\");
    g_settings.narrow[setting::MinimumVersion] = std::string("1.6");
    g_settings.narrow[setting::MaximumVersion] = std::string("1.6");
    for (const char* variable : {"VELKOR_JAVA_HOME", "MORVANE_JAVA_HOME", "JAVA_HOME", "JDK_HOME"})
      guard.setEnvironment(variable, std::nullopt);
  }
  std::string runtime(const std::string& relative, const std::string& version) {
    return prepareRuntime(dir, registry, "jre", relative, version);
  }
  int search() {
    javaExe.clear();
    location = "(unset)";
    return searchJvm(javaExe, location);
  }
  TempDirectory dir;
  ProcessStateGuard guard;
  RegistryCleanup registry;
  std::string javaExe, location;
};

TEST_F(Search, TheFirstAcceptableEntryWinsAndGivesItsKind) {
  runtime("app\\jre", "1.5.0_22");
  const std::string good = runtime("other\\java", "1.6.0_20");
  guard.setEnvironment("MYAPP_JAVA_HOME", good);
  g_settings.narrow[setting::SearchSequence] = std::string("X..\\foo;B..\\jre;EUNSET_VAR;EMYAPP_JAVA_HOME;");
  guard.setEnvironment("UNSET_VAR", std::nullopt);
  LogCapture log;
  EXPECT_EQ(search(), kEnvironmentVariable);
  EXPECT_EQ(javaExe, lowerCased(good + "\\bin\\java.exe"));
  EXPECT_EQ(location, "MYAPP_JAVA_HOME");
  EXPECT_TRUE(log.contains("Testing location ..\\foo (type X)"));
  EXPECT_TRUE(log.contains("Testing location ..\\jre (type B)"));
  EXPECT_TRUE(log.contains("Testing location UNSET_VAR (type E)"));
}

TEST_F(Search, ARejectedDirectoryEntryIsAcceptedByTheRelativePass) {
  const std::string old = runtime("app\\jre", "1.5.0_22");
  g_settings.narrow[setting::SearchSequence] = std::string("B..\\jre;");
  LogCapture log;
  EXPECT_EQ(search(), kJavaHomeDirectory);
  EXPECT_EQ(location, "..\\jre");
  EXPECT_EQ(javaExe, lowerCased(old + "\\bin\\java.exe"));
  EXPECT_TRUE(log.contains("Testing relative location ..\\jre"));
  EXPECT_TRUE(log.contains(javaExe + " exists"));
}

TEST_F(Search, AbsoluteAAndREntriesAreNotRetriedButTheInstallerLocationComesFirst) {
  const std::string old = runtime("abs\\jre", "1.5.0_22");
  const std::string installer = runtime("installer\\jre", "1.6.0_01");
  g_settings.narrow[setting::SearchSequence] = std::string("A" + old + ";R" + old + ";");
  EXPECT_EQ(search(), kNothingFound);

  dir.write("app\\.morvane\\inst_jre.cfg", installer + "\r\nsecond line ignored\r\n");
  LogCapture log;
  EXPECT_EQ(search(), kJavaHomeDirectory);
  EXPECT_EQ(location, installer);
  EXPECT_TRUE(log.contains("Has installer location " + installer));
  EXPECT_TRUE(log.contains("Using installer location"));
}

TEST_F(Search, VariablesAreExpandedInTheFirstPassOnly) {
  const std::string home = runtime("mine\\jre", "1.5.0_22");
  guard.setEnvironment("MYDIR", dir.file("mine"));
  g_settings.narrow[setting::SearchSequence] = std::string("R${MYDIR}\\jre;");
  LogCapture log;
  EXPECT_EQ(search(), kNothingFound);
  EXPECT_TRUE(log.contains("Testing location " + dir.file("mine") + "\\jre (type R)"));
  EXPECT_TRUE(log.contains("Testing relative location ${MYDIR}\\jre"));
}

TEST_F(Search, ThePreferredLocationComesBeforeEverything) {
  const std::string preferred = runtime("preferred", "1.6.0_30");
  runtime("app\\jre", "1.6.0_20");
  g_settings.narrow[setting::SearchSequence] = std::string("B..\\jre;");
  dir.write("app\\.morvane\\pref_jre.cfg", preferred + "\n");
  LogCapture log;
  EXPECT_EQ(search(), kJavaHomeDirectory);
  EXPECT_EQ(location, preferred);
  EXPECT_TRUE(log.contains("Using preferred location"));
}

TEST_F(Search, AnEmptyPreferredLineTestsTheLaunchersOwnDirectory) {
  dir.write("app\\.morvane\\pref_jre.cfg", "\n");
  runtime("app\\bin", "1.6.0_20");  // a runtime whose home is the launcher's directory
  EXPECT_EQ(search(), kJavaHomeDirectory);
  EXPECT_EQ(location, "");
  EXPECT_EQ(javaExe, lowerCased(dir.file("app\\bin\\bin\\java.exe")));
}

TEST_F(Search, PreviousInstallationsUserHiveFirstThenTheFallbackVariables) {
  runtime("first\\jre", "1.5.0_22");
  const std::string second = runtime("second\\jre", "1.6.0_20");
  const std::string name = "allinstdirs-" + std::to_string(GetCurrentProcessId());
  g_settings.narrow[setting::PreviousInstallations] = name;
  g_settings.narrow[setting::SearchSequence] = std::string("");
  registry.setString(HKEY_LOCAL_MACHINE, "SOFTWARE\\orbenta\\morvane\\installations", name, dir.file("second"));
  registry.setString(HKEY_CURRENT_USER, "SOFTWARE\\orbenta\\morvane\\installations", name,
                     dir.file("first") + ";;" + dir.file("nowhere"));
  LogCapture log;
  EXPECT_EQ(search(), kRegistry);
  EXPECT_EQ(javaExe, lowerCased(second + "\\bin\\java.exe"));
  EXPECT_EQ(location, "(unset)");
  EXPECT_TRUE(log.contains("found JRE from previous installation (machine) " + javaExe));

  registry.remove(HKEY_LOCAL_MACHINE, "SOFTWARE\\orbenta\\morvane\\installations");
  const std::string velkor = runtime("velkor", "1.6.0_20");
  const std::string morvane = runtime("morvane", "1.6.0_20");
  guard.setEnvironment("VELKOR_JAVA_HOME", velkor);
  guard.setEnvironment("MORVANE_JAVA_HOME", morvane);
  EXPECT_EQ(search(), kEnvironmentVariable);
  EXPECT_EQ(location, "VELKOR_JAVA_HOME");
  guard.setEnvironment("VELKOR_JAVA_HOME", std::nullopt);
  EXPECT_EQ(search(), kEnvironmentVariable);
  EXPECT_EQ(location, "MORVANE_JAVA_HOME");
  EXPECT_TRUE(log.contains("Search sequence finished"));
}

TEST_F(Search, EnvironmentCandidatesRejectPreReleasesDirectoriesDoNot) {
  const std::string home = runtime("ea", "1.6.0-ea");
  guard.setEnvironment("EA_HOME", home);
  g_settings.narrow[setting::SearchSequence] = std::string("EEA_HOME;A" + home + ";");
  EXPECT_EQ(search(), kJavaHomeDirectory);
  EXPECT_EQ(location, home);
}

TEST_F(Search, ForwardSlashesInAVariableBecomeBackslashes) {
  std::string home = runtime("slashes\\jre", "1.6.0_20");
  std::string slashed = home;
  for (char& c : slashed)
    if (c == '\\') c = '/';
  guard.setEnvironment("SLASHED", slashed);
  g_settings.narrow[setting::SearchSequence] = std::string("ESLASHED");
  EXPECT_EQ(search(), kEnvironmentVariable);
  EXPECT_EQ(javaExe, lowerCased(home + "\\bin\\java.exe"));
}

TEST_F(Search, TheSearchPathEntryFindsJavaThroughPath) {
  const std::string home = runtime("onpath", "1.6.0_20");
  guard.setEnvironment("PATH", home + "\\bin");
  g_settings.narrow[setting::SearchSequence] = std::string("S");
  EXPECT_EQ(search(), kSearchPath);
  EXPECT_EQ(javaExe, lowerCased(home + "\\bin\\java.exe"));
  EXPECT_EQ(location, "");
}

}  // namespace
}  // namespace launcher
