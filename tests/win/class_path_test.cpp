// The class path option against real directories.
#include "windows/class_path.h"

#include <gtest/gtest.h>

#include "support/temp_directory.h"

namespace launcher {
namespace {

using testing::ProcessStateGuard;
using testing::TempDirectory;

class ClassPath : public ::testing::Test {
 protected:
  void SetUp() override {
    guard.setExecutable(dir.file("app\\bin\\app.exe"));
    dir.makeDirectory("app\\bin");
    g_runtime.kind = LauncherKind::Application;
    g_runtime.productLetter = 'e';
    useConsoleErrors();
  }
  std::string bin() const { return dir.file("app\\bin\\"); }
  TempDirectory dir;
  ProcessStateGuard guard;
};

TEST_F(ClassPath, ConfiguredEntriesOfEveryKind) {
  dir.write("app\\bin\\app.jar", "");
  dir.write("app\\lib\\b.zip", "");
  dir.write("app\\lib\\a.jar", "");
  guard.setEnvironment("QUOTED_CP", "\"C:\\my libs\\q.jar\"");
  guard.setEnvironment("LIST_CP", "C:\\x.jar;C:\\y.jar;");
  guard.setEnvironment("EMPTY_CP", "");
  guard.setEnvironment("UNSET_CP", std::nullopt);
  g_settings.narrow[setting::ClassPath] = std::string(
      "A1..\\bin\\app.jar;S1..\\lib;D0..\\System\\Library\\Java;E1QUOTED_CP;E0LIST_CP;E0UNSET_CP;E0EMPTY_CP;"
      "X1ignored;A0${launcher:sys.launcherDirectory}missing.jar;S0..\\nowhere");
  std::string option = buildClassPathOption({});
  EXPECT_EQ(option, "-Djava.class.path=" + bin() + "..\\bin\\app.jar;" + bin() + "..\\lib\\a.jar;" + bin() +
                        "..\\lib\\b.zip;" + bin() + "..\\System\\Library\\Java;C:\\my libs\\q.jar;C:\\x.jar;C:\\y.jar;" +
                        bin() + "missing.jar;");
}

TEST_F(ClassPath, ExtractedArchivesAndTheInstallationRuntimeComeBeforeAReplacement) {
  dir.write("tmp\\x.jar", "");
  dir.write("tmp\\y.zip", "");
  dir.write("tmp\\user\\u.jar", "");
  g_paths.launcherTempDirectory = dir.file("tmp");
  g_runtime.productLetter = 'i';
  g_settings.narrow[setting::InstallationDirectory] = std::string("..\\");
  g_settings.narrow[setting::ClassPath] = std::string("A1never.jar");
  ClassPathOverrides overrides;
  overrides.prepend = "pre.jar";
  overrides.replace = "mine.jar";
  overrides.append = "post.jar";
  EXPECT_EQ(buildClassPathOption(overrides),
            "-Djava.class.path=pre.jar;" + dir.file("tmp\\x.jar;") + dir.file("tmp\\y.zip;") +
                dir.file("tmp\\user\\u.jar;") + dir.file("app\\.morvane\\mqvruntime.jar;") + "mine.jar;post.jar");
}

TEST_F(ClassPath, TheSetupLauncherAddsNoInstallationRuntimeAndAppendKeepsOneSeparator) {
  g_runtime.kind = LauncherKind::Setup;
  g_runtime.productLetter = 'i';
  g_settings.narrow[setting::ClassPath] = std::string("D0lib");
  ClassPathOverrides overrides;
  overrides.append = "post.jar";
  EXPECT_EQ(buildClassPathOption(overrides), "-Djava.class.path=" + bin() + "lib;post.jar");
}

TEST_F(ClassPath, AMandatoryScanOfAnEmptyDirectoryIsFine) {
  dir.makeDirectory("app\\empty");
  g_settings.narrow[setting::ClassPath] = std::string("S1..\\empty");
  EXPECT_EQ(buildClassPathOption({}), "-Djava.class.path=");
}

TEST_F(ClassPath, MissingMandatoryEntriesEndTheLaunch) {
  g_settings.narrow[message::ClassPathEntryMissing] = std::string("File or directory {0} not found or empty\n");
  g_settings.narrow[message::VariableUndefined] = std::string("The environment variable {0} has to be defined");
  guard.setEnvironment("UNSET_CP", std::nullopt);
  guard.setEnvironment("EMPTY_CP", "");
  struct Case {
    const char* setting;
    const char* message;
  } cases[] = {
      {"S1..\\lib", "^File or directory \\.\\.\\\\lib not found or empty\n\n$"},
      {"A1missing.jar", "^File or directory missing\\.jar not found or empty\n\n$"},
      {"E1UNSET_CP", "^The environment variable UNSET_CP has to be defined\n$"},
      {"E1EMPTY_CP", "^File or directory EMPTY_CP not found or empty\n\n$"},
  };
  for (const Case& c : cases) {
    g_settings.narrow[setting::ClassPath] = std::string(c.setting);
    EXPECT_EXIT(buildClassPathOption({}), ::testing::ExitedWithCode(1), c.message) << c.setting;
  }
}

}  // namespace
}  // namespace launcher
