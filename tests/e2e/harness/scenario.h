// End-to-end scenarios: a directory per test with launchers stamped into it,
// run under Wine with an exact command line and environment, and everything
// a run shows the user collected in one RunResult.
//
//   e2e::Scenario s;
//   s.stamp(R"(kind = "app"
//              [settings]
//              main_class = "demo.Main")");
//   e2e::RunResult r = s.run("app.exe", {"-q", "two words"});
//   EXPECT_EQ(r.exitCode, 1) << r;
//
// Every path a test passes is relative to the scenario directory unless it
// is absolute.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "harness/relay_trace.h"
#include "harness/settings_probe.h"

namespace e2e {

// The Windows build's files.
std::filesystem::path windowsBuildPath(const std::string& relative);
// The helper programs built for the tests.
std::filesystem::path settingsProbe();
std::filesystem::path processProbe();

// How Wine names a Linux path: "/a/b" is "Z:\a\b".
std::string windowsPathOf(const std::filesystem::path& path);

// Where a launcher image comes from: "app" and "setup" are the unstamped
// app-launcher.exe and setup-launcher.exe; anything else is a path to an
// executable, relative to the scenario or absolute.
using LauncherImage = std::string;

struct RunOptions {
  // Variables set for the program, in this order, after TMP and TEMP.
  std::vector<std::pair<std::string, std::string>> env;
  // Variables removed after that.
  std::vector<std::string> unset;
  // The user locale, as a Linux locale name without the encoding. Every run
  // has one, so that tests do not depend on the machine's.
  std::string locale = "en_US";
  // Relative to the scenario; the executable's directory when empty.
  std::string workingDirectory;
  int timeoutMs = 120000;
  // The program part of the command line; the executable's quoted Windows
  // path when empty. The executable started is the same in either case.
  std::string programName;
};

struct RunResult {
  // The program's exit code, all 32 bits (a crash shows as 0xC0000005).
  int64_t exitCode = -1;
  // The runner ended the program after RunOptions::timeoutMs.
  bool timedOut = false;
  std::string out;
  // Standard error without Wine's trace lines.
  std::string err;
  std::vector<MessageBoxCall> boxes;
  // mqv_nlog_* files in the scenario's tmp after the run, relative to the
  // scenario ("tmp/mqv_nlog_a1"), in name order.
  std::vector<std::string> logFiles;
  // What the run was, for the report.
  std::string commandLine;
  std::filesystem::path scenario;

  // The text of the one log file (lines end in CR LF); "" when there is
  // none; a test failure when there are several.
  std::string log() const;
};

std::ostream& operator<<(std::ostream& out, const RunResult& result);
void PrintTo(const RunResult& result, std::ostream* out);

struct StampOutcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

class Scenario {
 public:
  // Creates <native build>/e2e-work/<TestSuite>.<Test>-<n> with tmp/ in it.
  Scenario();
  // Removes the directory when the test passed; keeps it, and says where,
  // when it failed.
  ~Scenario();
  Scenario(const Scenario&) = delete;
  Scenario& operator=(const Scenario&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path path(const std::string& relative) const;
  std::string windowsPath(const std::string& relative) const;

  void writeFile(const std::string& relative, const std::string& bytes) const;
  std::string readFile(const std::string& relative) const;
  bool exists(const std::string& relative) const;
  // Copies the stand-in Java runtime <win build>/standin/<name> ("jre",
  // "jdk", "jre32") to relative.
  void copyRuntime(const std::string& name, const std::string& relative) const;
  // Places an unstamped launcher (or any executable) at exeRelative.
  void copyExecutable(const LauncherImage& launcher, const std::string& exeRelative = "app.exe") const;

  // Writes the config beside the executable and stamps launcher with it into
  // exeRelative. The test fails, with the tool's output, unless it succeeds;
  // the result says whether it did, for tests that cannot go on without it.
  bool stamp(const std::string& toml, const LauncherImage& launcher = "app",
             const std::string& exeRelative = "app.exe") const;
  // The same for configurations the tool should refuse.
  StampOutcome stampFailing(const std::string& toml, const LauncherImage& launcher = "app",
                            const std::string& exeRelative = "app.exe") const;
  // stamp inspect's report of the executable; the test fails unless it
  // succeeds.
  std::string inspect(const std::string& exeRelative = "app.exe") const;

  // Runs the executable with the arguments, each quoted with double quotes
  // when it is empty or contains a blank or a tab.
  RunResult run(const std::string& exeRelative, const std::vector<std::string>& arguments = {},
                const RunOptions& options = {});
  // Runs the executable with the command line that is its quoted path (or
  // options.programName) followed by exactTail as it is: pass the separating
  // blank yourself.
  RunResult runCommandLine(const std::string& exeRelative, const std::string& exactTail,
                           const RunOptions& options = {});

  // Runs an executable stamped from settings_probe.exe and reads its report.
  // The test fails, and nothing is given, unless it exits 0 with a report.
  std::optional<ProbedSettings> probe(const std::string& exeRelative = "app.exe", const RunOptions& options = {});

 private:
  StampOutcome runStamp(const std::string& toml, const LauncherImage& launcher, const std::string& exeRelative) const;
  RunResult runExact(const std::string& exeRelative, const std::string& commandLine, const RunOptions& options);
  std::filesystem::path launcherPath(const LauncherImage& launcher) const;

  std::filesystem::path root_;
  int runs_ = 0;
};

}  // namespace e2e
