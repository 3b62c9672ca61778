// Packed runtimes restored by their own unpack200.exe.
#include "discovery/unpack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "discovery/search.h"
#include "support/discovery_fixtures.h"

namespace launcher {
namespace {

using namespace launcher::testing;

std::vector<std::string> unpackCalls(const std::string& binDirectory) {
  std::ifstream in(binDirectory + "\\unpack200-log.txt");
  std::vector<std::string> lines;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

class Unpack : public ::testing::Test {
 protected:
  void SetUp() override {
    guard.setExecutable(dir.file("app.exe"));
    home = copyRuntime(dir, "jre", "jre");
  }
  TempDirectory dir;
  ProcessStateGuard guard;
  std::string home;
};

TEST_F(Unpack, EveryPresentPackFileIsRestoredInOrderAndMissingOnesAreSkipped) {
  dir.write("jre\\lib\\rt.jar.pack", "rt");
  dir.write("jre\\lib\\charsets.jar.pack", "charsets");
  dir.write("jre\\lib\\ext\\localedata.jar.pack", "locale");
  dir.write("jre\\lib\\jsse.jar.pack", "jsse");
  LogCapture log;
  ::testing::internal::CaptureStdout();
  unpackJre(home);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "Preparing JRE ...\n");
  const std::vector<std::string> expected = {
      "-r \"" + home + "\\lib\\rt.jar.pack\" \"" + home + "\\lib\\rt.jar\"",
      "-r \"" + home + "\\lib\\charsets.jar.pack\" \"" + home + "\\lib\\charsets.jar\"",
      "-r \"" + home + "\\lib\\ext\\localedata.jar.pack\" \"" + home + "\\lib\\ext\\localedata.jar\"",
      "-r \"" + home + "\\lib\\jsse.jar.pack\" \"" + home + "\\lib\\jsse.jar\"",
  };
  EXPECT_EQ(unpackCalls(home + "\\bin"), expected);
  EXPECT_EQ(dir.read("jre\\lib\\rt.jar"), "rt");
  EXPECT_EQ(dir.read("jre\\lib\\jsse.jar"), "jsse");
  EXPECT_TRUE(log.contains("Unpacking JRE"));
  EXPECT_TRUE(log.contains("Unpacking JRE done"));
  int skipped = 0;
  for (const std::string& line : log.lines()) skipped += line == "pack path doesn't exists";
  EXPECT_EQ(skipped, 2) << "plugin.jar and deploy.jar";

  unpackJre(home);  // jsse.jar exists now: done once only
  EXPECT_EQ(unpackCalls(home + "\\bin").size(), 4u);
}

TEST_F(Unpack, ARuntimeWithoutRtPackIsLeftAloneSilently) {
  dir.write("jre\\lib\\charsets.jar.pack", "charsets");
  ::testing::internal::CaptureStdout();
  unpackJre(home);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(unpackCalls(home + "\\bin").empty());
}

TEST_F(Unpack, TheSearchUnpacksADirectoryBeforeTestingIt) {
  dir.write("jre\\lib\\rt.jar.pack", "rt");
  std::string javaExe;
  testJvmDirectory(javaExe, home, "", "", true);
  EXPECT_EQ(unpackCalls(home + "\\bin").size(), 1u);
}

TEST_F(Unpack, AnUnpackerThatCannotStartEndsTheLaunch) {
  dir.write("jre\\lib\\rt.jar.pack", "rt");
  std::filesystem::remove(home + "\\bin\\unpack200.exe");
  g_settings.narrow[message::InternalError] = std::string("An internal error occurred (error code: {0})");
  useConsoleErrors();
  EXPECT_EXIT(unpackJre(home), ::testing::ExitedWithCode(1), "An internal error occurred \\(error code: 20\\)");
}

}  // namespace
}  // namespace launcher
