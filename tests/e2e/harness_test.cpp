// The harness under Wine: what a program started through it sees, and what
// the harness collects from the run. process_probe.exe reports its command
// line, directory, locale and environment, one item a line.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <sstream>

#include "harness/scenario.h"

namespace e2e {
namespace {

struct ProcessView {
  std::string commandLine;
  std::string directory;
  std::string locale;
  std::map<std::string, std::string> env;
};

ProcessView view(const RunResult& result) {
  ProcessView v;
  std::istringstream lines(result.out);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("command_line=", 0) == 0) v.commandLine = line.substr(13);
    if (line.rfind("directory=", 0) == 0) v.directory = line.substr(10);
    if (line.rfind("locale=", 0) == 0) v.locale = line.substr(7);
    if (line.rfind("env ", 0) == 0) {
      const std::size_t equals = line.find('=', 5);
      v.env[line.substr(4, equals - 4)] = line.substr(equals + 1);
    }
  }
  return v;
}

class Harness : public ::testing::Test {
 protected:
  void SetUp() override { s.copyExecutable(processProbe().string(), "bin/probe.exe"); }
  Scenario s;
};

TEST(ScenarioFiles, LiveInAFreshDirectoryThatAPassedTestRemoves) {
  EXPECT_EQ(windowsPathOf("/a/b"), "Z:\\a\\b");
  std::filesystem::path root;
  {
    Scenario s;
    root = s.root();
    EXPECT_TRUE(std::filesystem::is_directory(s.path("tmp")));
    EXPECT_EQ(s.windowsPath("x/y.txt"), windowsPathOf(root) + "\\x\\y.txt");
    EXPECT_EQ(windowsPathOf(root).rfind("Z:\\", 0), 0u);
    s.writeFile("x/y.txt", std::string("a\0b\r\n", 5));
    EXPECT_TRUE(s.exists("x/y.txt"));
    EXPECT_EQ(s.readFile("x/y.txt"), std::string("a\0b\r\n", 5));
    s.copyRuntime("jre", "runtime/jre");
    EXPECT_EQ(s.readFile("runtime/jre/bin/server/jvm.dll"),
              s.readFile(windowsBuildPath("standin/jre/bin/server/jvm.dll").string()));
    EXPECT_TRUE(s.exists("runtime/jre/bin/java.exe"));
  }
  EXPECT_FALSE(std::filesystem::exists(root));
}

TEST_F(Harness, TheProgramGetsTheExactCommandLine) {
  const std::string program = "\"" + s.windowsPath("bin/probe.exe") + "\"";
  struct Case {
    std::vector<std::string> arguments;
    std::string tail;
  };
  const Case cases[] = {
      {{}, ""},
      {{"plain", "two words", "", "tab\there", "x\"y", "\xC3\x84\xE2\x82\xAC"},
       " plain \"two words\" \"\" \"tab\there\" x\"y \xC3\x84\xE2\x82\xAC"},
  };
  for (const Case& c : cases) {
    const RunResult r = s.run("bin/probe.exe", c.arguments);
    EXPECT_EQ(view(r).commandLine, program + c.tail) << r;
  }
  // Unbalanced quotes and doubled blanks pass as they are, after any
  // program name.
  RunOptions named;
  named.programName = "probe";
  const RunResult r = s.runCommandLine("bin/probe.exe", "  a  \"b", named);
  EXPECT_EQ(view(r).commandLine, "probe  a  \"b") << r;
  EXPECT_EQ(r.commandLine, "probe  a  \"b");
}

TEST_F(Harness, TheProgramGetsTheEnvironmentDirectoryAndLocaleAsked) {
  RunResult r = s.run("bin/probe.exe");
  ProcessView v = view(r);
  EXPECT_EQ(v.env["TMP"], s.windowsPath("tmp")) << r;
  EXPECT_EQ(v.env["TEMP"], s.windowsPath("tmp")) << r;
  EXPECT_EQ(v.directory, s.windowsPath("bin")) << r;
  EXPECT_EQ(v.locale, "1033") << r;
  ASSERT_EQ(v.env.count("USERNAME"), 1u) << "Wine sets USERNAME; the test removes it below" << r;

  s.writeFile("work/.keep", "");
  RunOptions options;
  options.env = {{"E2E_TEXT", " b\xC3\xA4r = baz "}, {"E2E_EMPTY", ""}, {"TMP", "C:\\elsewhere"}};
  options.unset = {"USERNAME", "TEMP"};
  options.workingDirectory = "work";
  options.locale = "de_CH";
  r = s.run("bin/probe.exe", {}, options);
  v = view(r);
  EXPECT_EQ(v.env["E2E_TEXT"], " b\xC3\xA4r = baz ") << r;
  EXPECT_EQ(v.env.count("E2E_EMPTY"), 1u) << r;
  EXPECT_EQ(v.env["TMP"], "C:\\elsewhere") << r;
  EXPECT_EQ(v.env.count("TEMP"), 0u) << r;
  EXPECT_EQ(v.env.count("USERNAME"), 0u) << r;
  EXPECT_EQ(v.directory, s.windowsPath("work")) << r;
  EXPECT_EQ(v.locale, "2055") << r;
  EXPECT_EQ(r.err, "") << r;
}

TEST_F(Harness, ExitCodesAndBothStreamsArriveWhole) {
  RunOptions options;
  options.env = {{"PROBE_EXIT", "3"}, {"PROBE_STDERR", "only on stderr"}, {"PROBE_BULK", "20000"}};
  RunResult r = s.run("bin/probe.exe", {}, options);
  EXPECT_EQ(r.exitCode, 3) << r.commandLine;
  ASSERT_EQ(r.err.rfind("only on stderr\nerr 0 ", 0), 0u) << r.err.substr(0, 200);
  EXPECT_NE(r.out.find("\nout 19999 ....."), std::string::npos);
  EXPECT_NE(r.err.find("\nerr 19999 ....."), std::string::npos);
  EXPECT_EQ(r.out.find("\nonly on stderr\n"), std::string::npos);
  EXPECT_FALSE(r.timedOut);

  // Wine passes only the low byte of an exit code on to Linux.
  options.env = {{"PROBE_EXIT", "3221225477"}};
  r = s.run("bin/probe.exe", {}, options);
  EXPECT_EQ(r.exitCode, 0xC0000005) << r;
  EXPECT_EQ(r.err, "") << r;
}

TEST_F(Harness, AProgramThatRunsTooLongIsEnded) {
  RunOptions options;
  options.env = {{"PROBE_SLEEP_MS", "60000"}};
  options.timeoutMs = 1500;
  const auto start = std::chrono::steady_clock::now();
  const RunResult r = s.run("bin/probe.exe", {}, options);
  const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_TRUE(r.timedOut) << r;
  EXPECT_EQ(r.exitCode, 124) << r;
  EXPECT_EQ(r.err, "runner: timed out\n") << r;
  EXPECT_LT(seconds, 30.0);
}

TEST_F(Harness, MessageBoxesAreCollectedInOrder) {
  RunOptions options;
  options.env = {{"PROBE_BOXES", "1"}};
  const RunResult r = s.run("bin/probe.exe", {}, options);
  ASSERT_EQ(r.boxes.size(), 5u) << r;
  EXPECT_EQ(r.boxes[0].function, "MessageBoxW");
  EXPECT_EQ(r.boxes[0].text, "Hello \xC3\xA4 world\n\nLog: C:\\x \"q\"\t\xE2\x82\xAC \xF0\x9F\x98\x80");
  EXPECT_EQ(r.boxes[0].title, "Title \xE2\x82\xAC");
  EXPECT_EQ(r.boxes[0].flags, 0x10u);  // MB_OK | MB_ICONERROR
  EXPECT_FALSE(r.boxes[0].cut);
  EXPECT_EQ(r.boxes[1].function, "MessageBoxA");
  EXPECT_EQ(r.boxes[1].text, "narrow \xC3\xA4 \xE2\x82\xAC\r\n");
  EXPECT_EQ(r.boxes[1].flags, 0x4u);  // MB_YESNO
  EXPECT_TRUE(r.boxes[2].cut);
  EXPECT_GT(r.boxes[2].text.size(), 200u);
  EXPECT_EQ(r.boxes[2].text, std::string(r.boxes[2].text.size(), 'a'));
  EXPECT_EQ(r.boxes[2].title, "");
  EXPECT_EQ(r.boxes[3].function, "MessageBoxExW");
  EXPECT_EQ(r.boxes[3].text, "ex");
  EXPECT_EQ(r.boxes[3].title, "ex title");
  EXPECT_EQ(r.boxes[3].flags, 0x30u);  // MB_ICONWARNING
  EXPECT_EQ(r.boxes[4].function, "MessageBoxIndirectW");
  EXPECT_EQ(r.err, "") << r;
}

// The launchers' own start-up step writes the setup launcher's log into the
// TMP the harness gives each run, and names it in the error it shows.
TEST(HarnessLogs, TheLogOfARunIsFoundInTheScenariosTmp) {
  Scenario s;
  s.copyExecutable(settingsProbe().string(), "app.exe");
  RunOptions options;
  options.env = {{"PROBE_KIND", "setup"}};
  const RunResult r = s.run("app.exe", {}, options);
  EXPECT_EQ(r.exitCode, 1) << r;
  ASSERT_EQ(r.logFiles.size(), 1u) << r;
  EXPECT_EQ(r.logFiles[0].rfind("tmp/mqv_nlog_", 0), 0u) << r;
  ASSERT_EQ(r.boxes.size(), 1u) << r;
  EXPECT_EQ(r.boxes[0].text, "Internal Error: readInt\n\nLog: " + s.windowsPath(r.logFiles[0])) << r;
  EXPECT_EQ(r.log().rfind("Started executable " + s.windowsPath("app.exe") + " at ", 0), 0u) << r;
}

}  // namespace
}  // namespace e2e
