// The JVM option list assembled from real files beside a scratch executable.
#include "windows/vm_options.h"

#include <gtest/gtest.h>

#include "support/temp_directory.h"

namespace launcher {
namespace {

using testing::ProcessStateGuard;
using testing::TempDirectory;

class VmOptions : public ::testing::Test {
 protected:
  void SetUp() override {
    guard.setExecutable(dir.file("app.exe"));
    g_settings.narrow[setting::JArgumentsAreVmOptions] = std::string("1");
  }
  TempDirectory dir;
  ProcessStateGuard guard;
};

TEST_F(VmOptions, EverySourceInItsOrderWithTheClassPathOptionLast) {
  guard.setEnvironment("PATH", std::nullopt);
  guard.setEnvironment("Path", "P");
  g_settings.narrow[setting::VmParameters] =
      std::string("-Dconfigured=1 -include-options \"cfg dir\\from-setting.vmoptions\" -classpath x.jar");
  dir.write("cfg dir\\from-setting.vmoptions", "-Dfrom.setting=1\n");
  dir.write("app.vmoptions",
            "\xEF\xBB\xBF-Dbom.first=1\r\n"
            "# comment\r\n"
            "   # indented comment\r\n"
            "\t-Dtabbed=1\r\n"
            "  -Xmx512m -Xms64m  \r\n"
            "\r\n"
            "-include-options sub\\inc.vmoptions\r\n"
            "-Dafter.include=${launcher:sys.launcherDirectory}\r\n"
            "-classpath/p pre.jar\r\n"
            "-classpath/a first-append.jar\r\n"
            "-classpath/a app.jar\r\n"
            "-classpath replaced.jar\r\n"
            "-Djava.class.path=set-by-hand\r\n"
            "-Dpath.a=${Path}|${PATH}|${path}");
  dir.write("sub\\inc.vmoptions", "-Dincluded=1\n-include-options deeper.vmoptions\n-classpath/a from-include.jar\n");
  dir.write("sub\\deeper.vmoptions", "-Ddeeper=1\n-include-options inc.vmoptions\n-Dafter.cycle=1\n");
  dir.write("app.exe.vmoptions", "-Dnever=1\n");

  const ArgumentVector arguments = {u"app.exe", u"-J-Xmx64m", u"-Jx", u"-J-classpath/a j.jar", u"other"};
  const std::vector<std::string> options = buildVmOptions({"-Dpassed=1"}, arguments);
  const std::vector<std::string> expected = {
      "-Dpassed=1",
      "-Dconfigured=1",
      "-Dfrom.setting=1",
      "-classpath",
      "x.jar",
      "-Xmx64m",
      "x",
      "\xEF\xBB\xBF-Dbom.first=1",
      "\t-Dtabbed=1",
      "-Xmx512m -Xms64m",
      "-Dincluded=1",
      "-Ddeeper=1",
      "-Dafter.cycle=1",
      "-Dafter.include=" + dir.path() + "\\",
      "-Djava.class.path=set-by-hand",
      "-Dpath.a=P|P|${path}",
      "-Djava.class.path=pre.jar;replaced.jar;app.jar",
  };
  EXPECT_EQ(options, expected);
}

TEST_F(VmOptions, TheSecondFileNameIsReadOnlyWithoutTheFirst) {
  dir.write("app.exe.vmoptions", "-Dsecond=1\n");
  EXPECT_EQ(buildVmOptions({}, {u"app.exe"}), (std::vector<std::string>{"-Dsecond=1", "-Djava.class.path="}));
}

TEST_F(VmOptions, WithJArgumentsOffNothingComesFromTheCommandLine) {
  g_settings.narrow[setting::JArgumentsAreVmOptions] = std::string("0");
  EXPECT_EQ(buildVmOptions({}, {u"app.exe", u"-J-Xmx1g"}), std::vector<std::string>{"-Djava.class.path="});
}

TEST_F(VmOptions, AFileThatIncludesItselfIsReadOnce) {
  dir.write("app.vmoptions", "-Done=1\n-include-options app.vmoptions\n-Dtwo=1\n");
  EXPECT_EQ(buildVmOptions({}, {u"app.exe"}),
            (std::vector<std::string>{"-Done=1", "-Dtwo=1", "-Djava.class.path="}));
}

TEST_F(VmOptions, AMissingIncludeAddsNothing) {
  dir.write("app.vmoptions", "-include-options nowhere.vmoptions\n-Dstill=1\n");
  EXPECT_EQ(buildVmOptions({}, {u"app.exe"}), (std::vector<std::string>{"-Dstill=1", "-Djava.class.path="}));
}

}  // namespace
}  // namespace launcher
