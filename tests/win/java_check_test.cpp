// One candidate runtime judged: its java executable, its version from a probe
// or from the cache, and the bounds.
#include "discovery/java_check.h"

#include <gtest/gtest.h>

#include "discovery/registry.h"
#include "support/discovery_fixtures.h"

namespace launcher {
namespace {

using namespace launcher::testing;

class JavaCheck : public ::testing::Test {
 protected:
  void SetUp() override {
    guard.setExecutable(dir.file("app\\app.exe"));
    g_settings.narrow[setting::ExecutableKind] = std::string("5");
    home = copyRuntime(dir, "jre", "Java\\JRE");
    bin = home + "\\bin";
    // The path the check resolves to, lower case, is the cache's key.
    javaExe = bin + "\\java.exe";
    lowered = javaExe;
    lowerCasePath(lowered);
    registry.remove(HKEY_CURRENT_USER, "SOFTWARE\\orbenta\\velkor\\jvms\\" + pathKey(lowered));
  }
  bool check(const std::string& minimum, const std::string& maximum, bool allowPreRelease = false) {
    std::string exe = javaExe;
    version.clear();
    const bool accepted = checkJavaExe(exe, version, minimum, maximum, allowPreRelease);
    checkedExe = exe;
    return accepted;
  }
  TempDirectory dir;
  ProcessStateGuard guard;
  RegistryCleanup registry;
  std::string home, bin, javaExe, lowered, version, checkedExe;
};

TEST_F(JavaCheck, TheVersionIsProbedOnceAndThenReadFromTheCache) {
  scriptJava(bin, "version_line=java version \"1.6.0_20\"\n");
  LogCapture log;
  EXPECT_TRUE(check("1.6", "1.6"));
  EXPECT_EQ(version, "1.6.0_20");
  EXPECT_EQ(checkedExe, lowered);
  EXPECT_EQ(javaInvocations(bin), 1);
  EXPECT_TRUE(log.contains("got version from execution 1.6.0_20"));
  EXPECT_TRUE(log.contains("Exit Code 0"));

  EXPECT_TRUE(check("1.6", "1.6"));
  EXPECT_EQ(javaInvocations(bin), 1) << "the second check must not start java.exe";
  EXPECT_TRUE(log.contains("got version from registry 1.6.0_20"));

  // Another range, same cached version.
  EXPECT_FALSE(check("1.7", ""));
  EXPECT_EQ(javaInvocations(bin), 1);

  // Without the cache the probe runs every time.
  std::string exe = javaExe;
  EXPECT_TRUE(checkCandidate(exe, "1.6", "1.6", false, false));
  EXPECT_EQ(javaInvocations(bin), 2);
  EXPECT_TRUE(g_candidateCheck.cacheAllowed);
}

TEST_F(JavaCheck, AChangedExecutableIsProbedAgain) {
  scriptJava(bin, "version_line=java version \"1.6.0_20\"\n");
  setLastWriteTime(javaExe, 0);
  EXPECT_TRUE(check("1.6", "1.6"));
  scriptJava(bin, "version_line=openjdk version \"17.0.2\" 2022-01-18\n");
  setLastWriteTime(javaExe, 60);
  EXPECT_FALSE(check("1.6", "1.6"));
  EXPECT_EQ(version, "17.0.2");
  EXPECT_EQ(javaInvocations(bin), 2);
  EXPECT_TRUE(check("17", ""));
  EXPECT_EQ(javaInvocations(bin), 2);
}

TEST_F(JavaCheck, ACacheEntryWithAFourByteTimeIsNotTrusted) {
  scriptJava(bin, "version_line=java version \"1.6.0_20\"\n");
  EXPECT_TRUE(check("1.6", "1.6"));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, ("SOFTWARE\\orbenta\\velkor\\jvms\\" + pathKey(lowered)).c_str(), 0,
                          KEY_ALL_ACCESS, &key),
            ERROR_SUCCESS);
  const DWORD shortTime = 1234;
  RegSetValueExA(key, "LastWriteTime", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&shortTime), 4);
  RegCloseKey(key);
  EXPECT_TRUE(check("1.6", "1.6"));
  EXPECT_EQ(javaInvocations(bin), 2);
  EXPECT_TRUE(check("1.6", "1.6"));
  EXPECT_EQ(javaInvocations(bin), 2) << "the rewritten entry is trusted again";
}

TEST_F(JavaCheck, AFailingRuntimeIsCachedAsOneZeroZeroAndNotStartedAgain) {
  scriptJava(bin, "exit_code=1\n");
  LogCapture log;
  EXPECT_FALSE(check("1.6", "1.6"));
  EXPECT_TRUE(log.contains("Exit Code 1"));
  EXPECT_TRUE(log.contains("couldn't get version"));
  EXPECT_FALSE(check("1.6", ""));
  EXPECT_EQ(version, "1.0.0");
  EXPECT_TRUE(check("", ""));
  EXPECT_EQ(javaInvocations(bin), 1);
}

TEST_F(JavaCheck, VersionLinesAndBounds) {
  struct Case {
    const char* script;
    const char* minimum;
    const char* maximum;
    bool allowPreRelease;
    bool accepted;
    const char* version;
  } cases[] = {
      {"version_line=openjdk version \"1.7.0-u40\"", "1.7", "", false, true, "1.7.0-u40"},
      {"version_line=openjdk version \"17.0.2\" 2022-01-18", "11", "17", false, true, "17.0.2"},
      {"version_line=java version \"1.6.0-ea\"", "1.6", "1.6", false, false, "1.6.0-ea"},
      {"version_line=java version \"1.6.0-ea\"", "1.6", "1.6", true, true, "1.6.0-ea"},
      {"version_line=Error: no runtime here", "", "", false, false, ""},
  };
  for (const Case& c : cases) {
    RegistryCleanup cleanup;
    cleanup.remove(HKEY_CURRENT_USER, "SOFTWARE\\orbenta\\velkor\\jvms\\" + pathKey(lowered));
    scriptJava(bin, std::string(c.script) + "\n");
    EXPECT_EQ(check(c.minimum, c.maximum, c.allowPreRelease), c.accepted) << c.script;
    EXPECT_EQ(version, c.version) << c.script;
  }
}

TEST_F(JavaCheck, PreReleasesAreAllowedEverywhereBySetting) {
  scriptJava(bin, "version_line=java version \"1.6.0-rc\"\n");
  g_settings.narrow[setting::AllowPreRelease] = std::string("1");
  EXPECT_TRUE(check("1.6", "1.6"));
}

TEST_F(JavaCheck, AGuiApplicationNeedsJavawAndGetsIt) {
  g_settings.narrow[setting::ExecutableKind] = std::string("1");
  EXPECT_TRUE(check("", ""));
  EXPECT_EQ(checkedExe, lowered.substr(0, lowered.size() - 4) + "w.exe");
  DeleteFileA((bin + "\\javaw.exe").c_str());
  EXPECT_FALSE(check("", ""));
  g_settings.narrow[setting::ExecutableKind] = std::string("5");
  EXPECT_TRUE(check("", "")) << "type 5 keeps java.exe";
  EXPECT_EQ(checkedExe, lowered);
}

TEST_F(JavaCheck, AMissingExecutableIsRejectedWithoutAProbe) {
  LogCapture log;
  std::string exe = home + "\\nothing\\java.exe";
  std::string found;
  EXPECT_FALSE(checkJavaExe(exe, found, "", "", true));
  EXPECT_TRUE(log.contains("file doesn't exist"));
  EXPECT_TRUE(log.contains("checkJavaExe returning 0"));
}

TEST_F(JavaCheck, AHangingRuntimeIsTerminatedAfterSixtySecondsAndNotCached) {
  scriptJava(bin, "hang=1\n");
  LogCapture log;
  const DWORD start = GetTickCount();
  EXPECT_FALSE(check("", ""));
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 59000u);
  EXPECT_LT(elapsed, 90000u);
  EXPECT_TRUE(log.contains("Exit Code 259"));
  EXPECT_TRUE(log.contains("Terminating process"));
  std::string cached;
  EXPECT_FALSE(readCachedVersion(lowered, 0, cached));
  uint64_t lastWrite = 0;
  findFile(lowered, &lastWrite);
  EXPECT_FALSE(readCachedVersion(lowered, lastWrite, cached));
}

TEST(JavaHome, JdkHomesUseTheirOwnRuntimeAndMayBeRequired) {
  TempDirectory dir;
  ProcessStateGuard guard;
  const std::string jdk = copyRuntime(dir, "jdk", "jdk");
  const std::string jre = copyRuntime(dir, "jre", "jre");
  std::string exe;
  EXPECT_TRUE(javaExeForHome(exe, jdk));
  EXPECT_EQ(exe, jdk + "\\jre\\bin\\java.exe");
  EXPECT_TRUE(javaExeForHome(exe, jre));
  EXPECT_EQ(exe, jre + "\\bin\\java.exe");
  EXPECT_TRUE(javaExeForHome(exe, dir.file("missing")));
  EXPECT_EQ(exe, dir.file("missing\\bin\\java.exe"));

  g_settings.narrow[setting::RequireJdk] = std::string("1");
  EXPECT_TRUE(javaExeForHome(exe, jdk));
  EXPECT_FALSE(javaExeForHome(exe, jre));
  EXPECT_EQ(exe, jre + "\\jre\\bin\\java.exe");
}

}  // namespace
}  // namespace launcher
