// Runtimes registered under the JavaSoft keys and runtimes located by hand.
// These keys are machine-wide, so these tests run one at a time.
#include "discovery/registry.h"

#include <gtest/gtest.h>

#include "discovery/search.h"
#include "support/discovery_fixtures.h"

namespace launcher {
namespace {

using namespace launcher::testing;

constexpr const char* kJre = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
constexpr const char* kJdk = "SOFTWARE\\JavaSoft\\Java Development Kit";
constexpr const char* kLocated = "SOFTWARE\\orbenta\\velkor\\locatedjvms";

class RegistryJvms : public ::testing::Test {
 protected:
  void SetUp() override {
    guard.setExecutable(dir.file("app\\app.exe"));
    g_settings.narrow[setting::ExecutableKind] = std::string("5");
    registry.remove(HKEY_LOCAL_MACHINE, kJre);
    registry.remove(HKEY_LOCAL_MACHINE, kJdk);
    registry.remove(HKEY_LOCAL_MACHINE, kLocated);
    registry.remove(HKEY_CURRENT_USER, kLocated);
  }
  // A stand-in runtime answering version, registered nowhere yet.
  std::string runtime(const std::string& relative, const std::string& version) {
    return prepareRuntime(dir, registry, "jre", relative, version);
  }
  static std::string exeOf(const std::string& home) { return resolvedJavaExe(home); }
  void registerVersion(const char* product, const std::string& version, const std::string& home) {
    registry.setString(HKEY_LOCAL_MACHINE, std::string(product) + "\\" + version, "JavaHome", home);
  }
  std::string found() {
    std::string exe;
    return findRegistryJvm(exe, "1.6", "1.6") ? exe : "(none)";
  }
  TempDirectory dir;
  ProcessStateGuard guard;
  RegistryCleanup registry;
};

TEST_F(RegistryJvms, EqualCurrentVersionsUseTheRuntimeKey) {
  const std::string jre = runtime("jre", "1.6.0_20");
  const std::string jdk = runtime("jdk", "1.6.0_20");
  registry.setString(HKEY_LOCAL_MACHINE, kJre, "CurrentVersion", "1.6");
  registry.setString(HKEY_LOCAL_MACHINE, kJdk, "CurrentVersion", "1.6");
  registerVersion(kJre, "1.6", jre);
  registerVersion(kJdk, "1.6", jdk);
  EXPECT_EQ(found(), exeOf(jre));
}

TEST_F(RegistryJvms, ACurrentVersionOutsideTheBoundsIsCleared) {
  const std::string jre = runtime("jre", "1.7.0");
  const std::string jdk = runtime("jdk", "1.6.0_20");
  registry.setString(HKEY_LOCAL_MACHINE, kJre, "CurrentVersion", "1.7");
  registry.setString(HKEY_LOCAL_MACHINE, kJdk, "CurrentVersion", "1.6");
  registerVersion(kJre, "1.7", jre);
  registerVersion(kJdk, "1.6", jdk);
  EXPECT_EQ(found(), exeOf(jdk));
}

TEST_F(RegistryJvms, SubkeysAreTriedHighestFirst) {
  const std::string a = runtime("a", "1.6.0_01");
  const std::string b = runtime("b", "1.6.0_20");
  const std::string c = runtime("c", "1.6.0_22");
  registerVersion(kJre, "1.6", a);
  registerVersion(kJre, "1.6.0_20", b);
  registerVersion(kJre, "1.6.0_22", c);
  registerVersion(kJre, "1.7", runtime("d", "1.7.0"));
  EXPECT_EQ(found(), exeOf(c));
  scriptJava(c + "\\bin", "exit_code=1\n");
  setLastWriteTime(c + "\\bin\\java.exe", 100);
  LogCapture log;
  EXPECT_EQ(found(), exeOf(b));
  std::vector<std::string> checked;
  for (const std::string& line : log.lines())
    if (line.rfind("checkJavaExe (", 0) == 0) {
      std::string path = line.substr(14, line.find(',') - 14);
      lowerCasePath(path);
      checked.push_back(path);
    }
  const std::vector<std::string> expected = {exeOf(c), exeOf(b)};
  EXPECT_EQ(checked, expected) << "1.7 is outside the bounds and never tried; 1.6.0_22 before 1.6.0_20";
}

TEST_F(RegistryJvms, RequiringAJdkSkipsTheRuntimeKeys) {
  const std::string jre = runtime("jre", "1.6.0_20");
  const std::string jdk = copyRuntime(dir, "jdk", "jdk");
  scriptJava(jdk + "\\jre\\bin", "version_line=java version \"1.6.0_10\"\n");
  registerVersion(kJre, "1.6.0_20", jre);
  registerVersion(kJdk, "1.6.0_10", jdk);
  g_settings.narrow[setting::RequireJdk] = std::string("1");
  std::string expected = jdk + "\\jre\\bin\\java.exe";
  lowerCasePath(expected);
  EXPECT_EQ(found(), expected);
}

TEST_F(RegistryJvms, LocatedRuntimesWinTiesAgainstJavaSoftAndTheMachineWinsTiesAgainstTheUser) {
  const std::string javaSoft = runtime("javasoft", "1.6.0_20");
  const std::string located = runtime("located", "1.6.0_20");
  registerVersion(kJre, "1.6.0_20", javaSoft);
  rememberLocatedJvm(located + "\\bin\\java.exe");
  LogCapture log;
  EXPECT_EQ(found(), exeOf(located));
  EXPECT_TRUE(log.contains("found sun " + exeOf(javaSoft) + " 1.6.0_20"));
  EXPECT_TRUE(log.contains("found located " + exeOf(located) + " 1.6.0_20"));

  const std::string newer = runtime("newer", "1.6.0_30");
  registerVersion(kJre, "1.6.0_30", newer);
  EXPECT_EQ(found(), exeOf(newer)) << "a higher JavaSoft version beats the located one";

  registry.remove(HKEY_LOCAL_MACHINE, kJre);
  const std::string user = runtime("user", "1.6.0_20");
  registry.createKey(HKEY_CURRENT_USER, std::string(kLocated) + "\\" + pathKey(user + "\\bin\\java.exe"));
  EXPECT_EQ(found(), exeOf(located)) << "equal versions: the machine's entry";
  const std::string userNewer = runtime("usernewer", "1.6.0_25");
  registry.createKey(HKEY_CURRENT_USER, std::string(kLocated) + "\\" + pathKey(userNewer + "\\bin\\java.exe"));
  EXPECT_EQ(found(), exeOf(userNewer));
}

TEST_F(RegistryJvms, TheSearchSequencesRegistryEntry) {
  const std::string jre = runtime("jre", "1.6.0_20");
  registerVersion(kJre, "1.6.0_20", jre);
  g_settings.narrow[setting::SearchSequence] = std::string("Y;");
  g_settings.narrow[setting::MinimumVersion] = std::string("1.6");
  g_settings.narrow[setting::MaximumVersion] = std::string("1.6");
  std::string exe, location = "(unset)";
  EXPECT_EQ(searchJvm(exe, location), kRegistry);
  EXPECT_EQ(exe, exeOf(jre));
  EXPECT_EQ(location, "(unset)");
}

}  // namespace
}  // namespace launcher
