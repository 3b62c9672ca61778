// Loading jvm.dll of a stand-in runtime into this process: VM type order,
// PATH, the JDK fallback, the JVM home, and the one message by location kind.
#include "discovery/jvm_library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "discovery/registry.h"
#include "support/discovery_fixtures.h"
#include "windows/JavaVMLauncher.h"

namespace launcher {
namespace {

using namespace launcher::testing;

std::string environmentPath() {
  char value[16384];
  const DWORD length = GetEnvironmentVariableA("PATH", value, sizeof value);
  return std::string(value, length < sizeof value ? length : 0);
}

class LoadDll : public ::testing::Test {
 protected:
  void SetUp() override {
    guard.setExecutable(dir.file("app\\app.exe"));
    guard.setEnvironment("PATH", "C:\\windows\\system32");
    for (const char* variable : {"VELKOR_JAVA_HOME", "MORVANE_JAVA_HOME"}) guard.setEnvironment(variable, std::nullopt);
    g_settings.narrow[setting::ExecutableKind] = std::string("5");
    g_settings.narrow[message::NoJvmFound] = std::string("No JVM could be found ({0}-bit)");
    g_settings.narrow[message::VariableJvmBroken] = std::string("The {0} environment variable does not work");
    g_settings.narrow[message::JvmDamaged] = std::string("The JVM found at {0} is damaged.");
    g_settings.narrow[message::JvmNotStarted] = std::string("The JVM could not be started.");
    useConsoleErrors();
    g_jvm.createEntry = nullptr;
  }
  // LoadDLL with its report on standard error captured.
  bool load(bool showErrors, const char* location, bool isJavaExe) {
    ::testing::internal::CaptureStderr();
    const bool loaded = LoadDLL(showErrors, location, isJavaExe);
    shown = ::testing::internal::GetCapturedStderr();
    return loaded;
  }
  std::string runtime(const std::string& name, const std::string& relative) {
    return prepareRuntime(dir, registry, name, relative, "1.6.0_20");
  }
  TempDirectory dir;
  ProcessStateGuard guard;
  RegistryCleanup registry;
  std::string shown;
};

TEST_F(LoadDll, APreferredTypeThatIsMissingFallsBackInTheFixedOrder) {
  const std::string home = runtime("jre", "jre");
  std::filesystem::remove_all(home + "\\bin\\server");
  g_settings.narrow[setting::PreferredVmType] = std::string("server");
  LogCapture log;
  ASSERT_TRUE(load(true, home.c_str(), false));
  const std::string bin = lowerCased(home) + "\\bin";
  const std::vector<std::string> lines = log.lines();
  std::vector<std::string> tried;
  for (const std::string& line : lines)
    if (line.rfind("Trying ", 0) == 0 && line.find("(exists") != std::string::npos) tried.push_back(line);
  const std::vector<std::string> expected = {"Trying " + bin + "\\server\\jvm.dll (exists 0)",
                                             "Trying " + bin + "\\hotspot\\jvm.dll (exists 0)",
                                             "Trying " + bin + "\\client\\jvm.dll (exists 1)"};
  EXPECT_EQ(tried, expected);
  EXPECT_TRUE(log.contains("Loading of JVM-DLL successful"));
  EXPECT_EQ(environmentPath(), "C:\\windows\\system32;" + bin);
  EXPECT_EQ(g_jvmLibrary.home, bin + "\\..");
  EXPECT_NE(g_jvm.createEntry, nullptr);
  EXPECT_EQ(shown, "");
}

TEST_F(LoadDll, AJdkWithoutItsOwnLibraryLoadsFromItsRuntime) {
  const std::string home = runtime("jdk", "jdk");
  const std::string javaExe = home + "\\bin\\java.exe";
  LogCapture log;
  ASSERT_TRUE(load(true, javaExe.c_str(), true));
  const std::string bin = lowerCased(home) + "\\bin";
  EXPECT_EQ(environmentPath(), "C:\\windows\\system32;" + bin + "\\..\\jre\\bin");
  EXPECT_EQ(g_jvmLibrary.home, bin + "\\..");
  EXPECT_TRUE(log.contains("Setting PATH C:\\windows\\system32"));  // the first attempt was undone
}

TEST_F(LoadDll, AThirtyTwoBitRuntimeFailsToLoadAndNamesTheDirectory) {
  const std::string home = runtime("jre32", "jre32");
  LogCapture log;
  EXPECT_FALSE(load(true, home.c_str(), false));
  EXPECT_TRUE(log.contains("Failed with error code 193"));
  EXPECT_TRUE(log.contains("ERROR: Could not get DLL-Handle."));
  EXPECT_TRUE(log.contains("ERROR: Could not load functions"));
  EXPECT_EQ(shown, "The JVM found at " + home + " is damaged.\n\nLog: " + log.path() + "\n");
  EXPECT_EQ(environmentPath(), "C:\\windows\\system32");
  EXPECT_EQ(g_jvmLibrary.home, lowerCased(home) + "\\bin\\..");
}

TEST_F(LoadDll, TheMessageFollowsTheKindOfSource) {
  const std::string broken = runtime("jre32", "broken");
  struct Case {
    const char* sequence;
    const char* variable;
    const char* expected;
  } cases[] = {
      {"EBROKEN_HOME", "BROKEN_HOME", "The BROKEN_HOME environment variable does not work\n"},
      {"S", nullptr, "No JVM could be found (64-bit)\n"},
      {"", nullptr, "No JVM could be found (64-bit)\n"},
  };
  guard.setEnvironment("BROKEN_HOME", broken);
  for (const Case& c : cases) {
    g_settings.narrow[setting::SearchSequence] = std::string(c.sequence);
    g_settings.narrow[setting::MinimumVersion] = std::string("");
    g_settings.narrow[setting::MaximumVersion] = std::string("");
    if (std::string(c.sequence) == "S") guard.setEnvironment("PATH", broken + "\\bin");
    EXPECT_FALSE(load(true, nullptr, false)) << c.sequence;
    EXPECT_EQ(shown, c.expected) << c.sequence;
    guard.setEnvironment("PATH", "C:\\windows\\system32");
  }
  // An earlier installation counts as the registry.
  const std::string name = "allinstdirs-load-" + std::to_string(GetCurrentProcessId());
  g_settings.narrow[setting::PreviousInstallations] = name;
  g_settings.narrow[setting::SearchSequence] = std::string("");
  runtime("jre32", "installed\\jre");
  registry.setString(HKEY_CURRENT_USER, "SOFTWARE\\orbenta\\morvane\\installations", name, dir.file("installed"));
  EXPECT_FALSE(load(true, nullptr, false));
  EXPECT_EQ(shown, "The JVM could not be started.\n");

  EXPECT_FALSE(load(false, nullptr, false));
  EXPECT_EQ(shown, "") << "without showErrors nothing is shown";
}

TEST_F(LoadDll, ACallersJavaExecutableIsCheckedWithoutTheCache) {
  const std::string home = runtime("jre", "checked");
  scriptJava(home + "\\bin", "version_line=java version \"1.5.0\"\n");
  g_settings.narrow[setting::MinimumVersion] = std::string("1.6");
  const std::string javaExe = home + "\\bin\\java.exe";
  LogCapture log;
  EXPECT_FALSE(load(true, javaExe.c_str(), true));
  EXPECT_TRUE(log.contains("ERROR: Provided JVM unusable"));
  EXPECT_EQ(shown, "No JVM could be found (64-bit)\n\nLog: " + log.path() + "\n");
  EXPECT_FALSE(load(false, javaExe.c_str(), true));
  EXPECT_EQ(javaInvocations(home + "\\bin"), 2);
}

}  // namespace
}  // namespace launcher
