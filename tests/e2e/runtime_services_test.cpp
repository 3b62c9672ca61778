// The runtime services seen through the real launchers under Wine: when the
// diagnostic log exists and when it is gone, what an error report looks like
// and how the process ends, the log-file request, the working directory and
// the launcher temporary directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <regex>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "harness/pe_layout.h"
#include "harness/scenario.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kMbYesNo = 0x4;
constexpr uint32_t kMbIconError = 0x10;
constexpr int64_t kNoJvmExitCode = 83;

// Every variable that could switch the log on or hand the launcher a JVM is
// removed unless a case sets it, so that the machine's environment never
// decides a result.
const std::vector<std::string> kInfluentialVariables = {"VELKOR_LOG",        "MORVANE_LOG", "VELKOR_JAVA_HOME",
                                                         "MORVANE_JAVA_HOME", "JAVA_HOME",   "JDK_HOME"};

RunOptions withEnvironment(std::vector<std::pair<std::string, std::string>> env) {
  RunOptions options;
  for (const std::string& name : kInfluentialVariables) {
    const bool set = std::any_of(env.begin(), env.end(), [&](const auto& item) { return item.first == name; });
    if (!set) options.unset.push_back(name);
  }
  options.env = std::move(env);
  return options;
}

std::string withoutCarriageReturns(std::string text) {
  text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
  return text;
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::vector<std::string> namesIn(const Scenario& s, const std::string& directory) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(s.path(directory), error))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

std::string joined(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return "[" + text + "]";
}

// The first line of every log, and the empty line that the ctime text's own
// line feed makes behind it.
::testing::AssertionResult startsWithHeader(const std::string& log, const std::string& executable) {
  static const std::regex header(
      R"(Started executable (.*) at (Mon|Tue|Wed|Thu|Fri|Sat|Sun) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
      R"([ 123]\d \d\d:\d\d:\d\d \d{4}\r\n\r\n)");
  std::smatch match;
  if (!std::regex_search(log, match, header, std::regex_constants::match_continuous))
    return ::testing::AssertionFailure() << "the log does not start with the header line and an empty line";
  if (match[1].str() != executable)
    return ::testing::AssertionFailure() << "the header names " << match[1].str() << ", not " << executable;
  return ::testing::AssertionSuccess();
}

// What the log holds behind the header and its empty line.
std::string withoutHeader(const std::string& log) {
  const std::size_t end = log.find("\r\n\r\n");
  return end == std::string::npos ? log : log.substr(end + 4);
}

// The arguments the stand-in's main method received, from its trace.
std::vector<std::string> mainArguments(const std::string& trace) {
  std::vector<std::string> arguments;
  std::istringstream lines(trace);
  static const std::regex argument(R"(main arg (\d+)=(.*))");
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_match(line, match, argument)) arguments.push_back(match[2].str());
  }
  return arguments;
}

// The options the stand-in JVM was created with, from its trace.
std::vector<std::string> jvmOptions(const std::string& trace) {
  std::vector<std::string> options;
  std::istringstream lines(trace);
  static const std::regex option(R"(option (\d+)=(.*))");
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    if (std::regex_match(line, match, option)) options.push_back(match[2].str());
  }
  return options;
}

std::string appConfig(const std::string& settings, const std::string& rest = "") {
  // No splash and no single instance: neither belongs to what is looked at
  // here, and both would only add windows and semaphores to a run.
  return "kind = \"app\"\n[settings]\nmain_class = \"demo.Main\"\nsplash = false\nsingle_instance = false\n" +
         settings + rest;
}

// ---------------------------------------------------------------------------
// The setup launcher's log: always written, deleted at a normal end unless
// it was wanted. That it exists while an unasked-for run goes on shows in
// SetupBrokenBlock below, where the run stops in the middle and the report
// keeps the file.

struct SetupLogCase {
  const char* name;
  std::vector<std::pair<std::string, std::string>> env;
  bool kept;
};

void PrintTo(const SetupLogCase& c, std::ostream* out) { *out << c.name; }

class SetupLog : public ::testing::TestWithParam<SetupLogCase> {};

TEST_P(SetupLog, IsDeletedAtANormalEndUnlessAVariableSaysExactlyYes) {
  const SetupLogCase& c = GetParam();
  Scenario s;
  ASSERT_TRUE(s.stamp("kind = \"setup\"\n[settings]\nname = \"Demo\"\n", "setup", "setup.exe"));
  const RunResult r = s.run("setup.exe", {}, withEnvironment(c.env));
  EXPECT_EQ(r.exitCode, 0) << r;
  EXPECT_TRUE(r.boxes.empty()) << r;
  EXPECT_EQ(r.err, "") << r;
  if (!c.kept) {
    EXPECT_TRUE(r.logFiles.empty()) << r;
    EXPECT_EQ(namesIn(s, "tmp"), std::vector<std::string>{}) << r;
    return;
  }
  ASSERT_EQ(r.logFiles.size(), 1u) << r;
  const std::string log = r.log();
  EXPECT_TRUE(startsWithHeader(log, s.windowsPath("setup.exe"))) << r;
  EXPECT_EQ(withoutHeader(log).rfind(blockPositionOf(s.readFile("setup.exe")).logLines(), 0), 0u) << r;
  // The setup launcher's default working directory "." is its own.
  EXPECT_TRUE(endsWith(log, "change working directory to " + s.windowsPath("") + "\r\n")) << r;
}

INSTANTIATE_TEST_SUITE_P(
    Wine, SetupLog,
    ::testing::Values(SetupLogCase{"noVariable", {}, false},
                      SetupLogCase{"velkorYes", {{"VELKOR_LOG", "yes"}}, true},
                      SetupLogCase{"morvaneYes", {{"MORVANE_LOG", "yes"}}, true},
                      SetupLogCase{"velkorCapitalYes", {{"VELKOR_LOG", "Yes"}}, false},
                      SetupLogCase{"morvaneYesWithBlank", {{"MORVANE_LOG", "yes "}}, false},
                      SetupLogCase{"velkorNoMorvaneYes", {{"VELKOR_LOG", "no"}, {"MORVANE_LOG", "yes"}}, true}),
    [](const ::testing::TestParamInfo<SetupLogCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// A setup launcher whose block cannot be read: the log that the reader began
// before it failed is named in the box and stays behind.

struct SetupBrokenBlockCase {
  const char* name;
  const char* message;
  // The box's title: message 1000 once the narrow entries are read.
  const char* title;
  // Where the block is cut, from the stamped file.
  std::size_t (*cutAt)(const std::string& exe, std::size_t blockStart);
};

void PrintTo(const SetupBrokenBlockCase& c, std::ostream* out) { *out << c.name; }

class SetupBrokenBlock : public ::testing::TestWithParam<SetupBrokenBlockCase> {};

constexpr char kSetupName[] = "Broken Setup";
// 1000 is read with the other narrow entries; the wide text marks where to
// cut once they are all read.
constexpr char kSetupErrorTitle[] = "Setup Trouble";
constexpr char kCutMark[] = "Cut Point Wizard";
constexpr std::size_t kFirstNarrowEntry = 24;  // behind the block header and the count

TEST_P(SetupBrokenBlock, NamesTheLogThatStaysBehind) {
  const SetupBrokenBlockCase& c = GetParam();
  Scenario s;
  // Setting 107 = 2 asks for reports on standard error, but the reader applies
  // it only after the whole configuration is read: these failures come first.
  ASSERT_TRUE(s.stamp(std::string("kind = \"setup\"\n[settings]\nname = \"") + kSetupName +
                          "\"\nexecutable_kind = 2\n1000 = \"" + kSetupErrorTitle + "\"\n[wide]\n20013 = \"" + kCutMark +
                          "\"\n",
                      "setup", "setup.exe"));
  const std::string exe = s.readFile("setup.exe");
  const BlockPosition position = blockPositionOf(exe);
  ASSERT_EQ(exe.substr(position.blockStart(), 4), "\xD5\x13\xE4\xE8");
  const std::size_t cut = c.cutAt(exe, position.blockStart());
  ASSERT_GT(cut, position.blockStart());
  s.writeFile("setup.exe", exe.substr(0, cut));

  const RunResult r = s.run("setup.exe", {}, withEnvironment({}));
  EXPECT_EQ(r.exitCode, 1) << r;
  ASSERT_EQ(r.logFiles.size(), 1u) << "the log was not there, or not kept" << r;
  ASSERT_EQ(r.boxes.size(), 1u) << r;
  EXPECT_EQ(r.boxes[0].text, std::string(c.message) + "\n\nLog: " + s.windowsPath(r.logFiles[0])) << r;
  EXPECT_FALSE(r.boxes[0].cut) << r;
  EXPECT_EQ(r.boxes[0].title, c.title) << r;
  EXPECT_EQ(r.boxes[0].flags, kMbIconError) << r;
  EXPECT_EQ(r.err, "") << r;
  const std::string log = r.log();
  EXPECT_TRUE(startsWithHeader(log, s.windowsPath("setup.exe"))) << r;
  EXPECT_EQ(withoutHeader(log), position.logLines()) << r;
}

std::size_t insideTheFirstNarrowText(const std::string& exe, std::size_t start) {
  // The catalogue's first setting, 101, is the name.
  if (littleEndian32(exe, start + kFirstNarrowEntry) != 101u || littleEndian32(exe, start + kFirstNarrowEntry + 4) != sizeof kSetupName - 1)
    return 0;
  return start + kFirstNarrowEntry + 8 + 4;
}

std::size_t insideTheWideMark(const std::string& exe, std::size_t start) {
  // The block holds wide texts as UTF-16LE; the mark is ASCII.
  std::string mark;
  for (const char c : std::string(kCutMark)) mark += {c, '\0'};
  const std::size_t at = exe.find(mark, start);
  return at == std::string::npos ? 0 : at + 6;
}

INSTANTIATE_TEST_SUITE_P(
    Wine, SetupBrokenBlock,
    ::testing::Values(
        SetupBrokenBlockCase{"beforeTheNarrowEntries", "Internal Error: readString", "", insideTheFirstNarrowText},
        SetupBrokenBlockCase{"inTheWideEntries", "Internal Error: readWString", kSetupErrorTitle,
                             insideTheWideMark}),
    [](const ::testing::TestParamInfo<SetupBrokenBlockCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Error reports of the application launcher: a box titled with message 1000
// or one line block on standard error, with the log path only when a log was
// asked for, and no file at all otherwise.

struct AppReportCase {
  const char* name;
  // [settings] lines besides the base.
  const char* settings;
  std::vector<std::pair<std::string, std::string>> env;
  // The command-line tail behind the program name.
  const char* tail;
  const char* message;
  int64_t exitCode;
  bool box;
  bool log;
};

void PrintTo(const AppReportCase& c, std::ostream* out) { *out << c.name; }

class AppErrorReport : public ::testing::TestWithParam<AppReportCase> {};

constexpr char kAppErrorTitle[] = "App Trouble";

TEST_P(AppErrorReport, IsABoxOrStandardErrorAndNamesOnlyAWantedLog) {
  const AppReportCase& c = GetParam();
  Scenario s;
  // A short 1016 keeps the whole box text inside what Wine's trace shows.
  ASSERT_TRUE(s.stamp(appConfig(std::string("1000 = \"") + kAppErrorTitle + "\"\n" +
                                "1016 = \"No {0}-bit JVM here. {0}\"\n" + c.settings)));
  s.copyRuntime("jre", "jre");
  const RunResult r = s.runCommandLine("app.exe", c.tail, withEnvironment(c.env));

  EXPECT_EQ(r.exitCode, c.exitCode) << r;
  std::string shown = c.message;
  if (c.log) {
    ASSERT_EQ(r.logFiles.size(), 1u) << r;
    shown += "\n\nLog: " + s.windowsPath(r.logFiles[0]);
    EXPECT_TRUE(startsWithHeader(r.log(), s.windowsPath("app.exe"))) << r;
  } else {
    EXPECT_EQ(namesIn(s, "tmp"), std::vector<std::string>{}) << r;
    const std::vector<std::string> beside = namesIn(s, "");
    EXPECT_TRUE(std::none_of(beside.begin(), beside.end(), [](const std::string& name) {
      return name.rfind("mqv_nlog", 0) == 0;
    })) << joined(beside) << r;
  }
  if (c.box) {
    ASSERT_EQ(r.boxes.size(), 1u) << r;
    EXPECT_EQ(r.boxes[0].text, shown) << r;
    EXPECT_FALSE(r.boxes[0].cut) << r;
    EXPECT_EQ(r.boxes[0].title, kAppErrorTitle) << r;
    EXPECT_EQ(r.boxes[0].flags, kMbIconError) << r;
    EXPECT_EQ(r.boxes[0].owner, 0u) << r;
    EXPECT_EQ(r.err, "") << r;
  } else {
    EXPECT_TRUE(r.boxes.empty()) << r;
    EXPECT_EQ(withoutCarriageReturns(r.err), shown + "\n") << r;
  }
  // None of these runs may get as far as the Java side.
  EXPECT_FALSE(s.exists("jre/jvm-trace.txt")) << r;
}

INSTANTIATE_TEST_SUITE_P(
    Wine, AppErrorReport,
    ::testing::Values(
        AppReportCase{"kind1Box", "executable_kind = 1\nsearch_sequence = 'Bno-such-jre;'\n", {}, "",
                      "No 64-bit JVM here. {0}", kNoJvmExitCode, true, false},
        AppReportCase{"kind5BoxWithLog", "executable_kind = 5\nsearch_sequence = 'Bno-such-jre;'\n",
                      {{"VELKOR_LOG", "yes"}}, "", "No 64-bit JVM here. {0}", kNoJvmExitCode, true, true},
        AppReportCase{"kind2StandardError", "executable_kind = 2\nsearch_sequence = 'Bno-such-jre;'\n", {}, "",
                      "No 64-bit JVM here. {0}", kNoJvmExitCode, false, false},
        AppReportCase{"kind2StandardErrorWithLog", "executable_kind = 2\nsearch_sequence = 'Bno-such-jre;'\n",
                      {{"MORVANE_LOG", "yes"}}, "", "No 64-bit JVM here. {0}", kNoJvmExitCode, false, true},
        AppReportCase{"quietTailWithLog", "executable_kind = 1\nsearch_sequence = 'Bno-such-jre;'\n",
                      {{"VELKOR_LOG", "yes"}}, " -q_mqv_internal", "No 64-bit JVM here. {0}", kNoJvmExitCode,
                      false, true},
        AppReportCase{"missingClassPathEntry", "executable_kind = 1\nsearch_sequence = 'Bjre;'\n"
                      "class_path = 'A0lib\\optional.jar;A1lib\\x.jar;'\n",
                      {}, "", "File or directory lib\\x.jar not found or empty\n", 1, true, false},
        AppReportCase{"missingClassPathEntryWithLog", "executable_kind = 1\nsearch_sequence = 'Bjre;'\n"
                      "class_path = 'A0lib\\optional.jar;A1lib\\x.jar;'\n",
                      {{"VELKOR_LOG", "yes"}}, "", "File or directory lib\\x.jar not found or empty\n", 1, true,
                      true}),
    [](const ::testing::TestParamInfo<AppReportCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The log-file request: only as the first argument, taken out of the
// arguments, announced in a Yes/No box and kept after the process.

struct LogRequestCase {
  const char* name;
  const char* launcher;  // "app" or "setup"
  const char* productLetter;
  std::vector<std::string> arguments;
  // Empty when the arguments hold no request the launcher honours.
  const char* boxTitle;
  // The arguments that reach the Java side behind the leading ones.
  std::vector<std::string> javaArguments;
};

void PrintTo(const LogRequestCase& c, std::ostream* out) { *out << c.name; }

class LogFileRequest : public ::testing::TestWithParam<LogRequestCase> {};

TEST_P(LogFileRequest, IsTakenOnlyFromTheFirstArgumentAndKeepsTheLog) {
  const LogRequestCase& c = GetParam();
  const bool app = std::string(c.launcher) == "app";
  const bool requested = *c.boxTitle != '\0';
  Scenario s;
  const std::string letter = std::string("product_letter = \"") + c.productLetter + "\"\n";
  if (app) {
    ASSERT_TRUE(s.stamp(appConfig(letter + "search_sequence = 'Bjre;'\n")));
    s.copyRuntime("jre", "jre");
  } else {
    ASSERT_TRUE(s.stamp("kind = \"setup\"\n[settings]\nname = \"Demo\"\n" + letter, "setup"));
  }
  const RunResult r = s.run("app.exe", c.arguments, withEnvironment({}));

  EXPECT_EQ(r.exitCode, 0) << r;
  if (requested) {
    ASSERT_EQ(r.logFiles.size(), 1u) << "the requested log did not survive the process" << r;
    ASSERT_EQ(r.boxes.size(), 1u) << r;
    EXPECT_EQ(r.boxes[0].text, "The following log file will be created:\n\n" + s.windowsPath(r.logFiles[0]) +
                                   "\n\nDo you want to open an Explorer window?")
        << r;
    EXPECT_FALSE(r.boxes[0].cut) << r;
    EXPECT_EQ(r.boxes[0].title, c.boxTitle) << r;
    EXPECT_EQ(r.boxes[0].flags, kMbYesNo) << r;
    EXPECT_EQ(r.boxes[0].owner, 0u) << r;
    const std::string log = r.log();
    EXPECT_TRUE(startsWithHeader(log, s.windowsPath("app.exe"))) << r;
    // Without a display the box never answers Yes.
    EXPECT_EQ(log.find("explorer"), std::string::npos) << r;
  } else {
    EXPECT_TRUE(r.boxes.empty()) << r;
    EXPECT_TRUE(r.logFiles.empty()) << r;
  }
  if (app) {
    const std::vector<std::string> received = mainArguments(s.readFile("jre/jvm-trace.txt"));
    ASSERT_GE(received.size(), c.javaArguments.size()) << joined(received) << r;
    const std::vector<std::string> last(received.end() - static_cast<std::ptrdiff_t>(c.javaArguments.size()),
                                        received.end());
    EXPECT_EQ(last, c.javaArguments) << joined(received) << r;
    if (requested)
      EXPECT_EQ(std::count(received.begin(), received.end(), c.arguments[0]), 0)
          << "the request reached the Java side: " << joined(received) << r;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Wine, LogFileRequest,
    ::testing::Values(
        LogRequestCase{"appDashMqv", "app", "e", {"-create-mqv-log", "alpha", "two words"}, "velkor",
                       {"alpha", "two words"}},
        LogRequestCase{"appDashVxk", "app", "i", {"-create-vxk-log", "alpha"}, "morvane", {"alpha"}},
        LogRequestCase{"appSlashMqv", "app", "", {"/create-mqv-log"}, "morvane", {}},
        LogRequestCase{"appSlashVxk", "app", "x", {"/create-vxk-log", "-create-vxk-log"}, "morvane",
                       {"-create-vxk-log"}},
        LogRequestCase{"appSecondArgument", "app", "e", {"alpha", "-create-vxk-log"}, "",
                       {"alpha", "-create-vxk-log"}},
        LogRequestCase{"appOtherCase", "app", "e", {"-Create-mqv-log", "alpha"}, "", {"-Create-mqv-log", "alpha"}},
        LogRequestCase{"setupDashMqv", "setup", "e", {"-create-mqv-log"}, "velkor", {}},
        LogRequestCase{"setupSlashVxk", "setup", "i", {"/create-vxk-log", "alpha"}, "morvane", {}},
        LogRequestCase{"setupSecondArgument", "setup", "e", {"alpha", "/create-mqv-log"}, "", {}}),
    [](const ::testing::TestParamInfo<LogRequestCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// Setting 146: the working directory the Java side starts in. The stand-in
// JVM writes its trace to a relative path, so where the trace lands is where
// the process's current directory was.

struct WorkingDirectoryCase {
  const char* name;
  // Setting 146; with settingIsScenarioPath, a scenario path whose Windows
  // form is written instead.
  const char* setting;
  bool settingIsScenarioPath;
  const char* tail;
  // The directory the trace lands in, relative to the scenario.
  const char* current;
  // "change working directory to" line expected; otherwise "working directory
  // unchanged" unless it is a language restart, which logs neither.
  bool changed;
};

void PrintTo(const WorkingDirectoryCase& c, std::ostream* out) { *out << c.name; }

class WorkingDirectory : public ::testing::TestWithParam<WorkingDirectoryCase> {};

constexpr char kExeDirectory[] = "App Dir/Bin";
constexpr char kStartDirectory[] = "Start Here";

TEST_P(WorkingDirectory, IsResolvedAgainstTheExecutableKeepingItsCase) {
  const WorkingDirectoryCase& c = GetParam();
  Scenario s;
  const std::string exe = std::string(kExeDirectory) + "/app.exe";
  const std::string setting = c.settingIsScenarioPath ? s.windowsPath(c.setting) : std::string(c.setting);
  ASSERT_TRUE(s.stamp(appConfig("search_sequence = 'Bjre;'\nworking_directory = '" + setting + "'\n"), "app", exe));
  s.copyRuntime("jre", std::string(kExeDirectory) + "/jre");
  for (const char* directory : {kStartDirectory, "App Dir/Bin/Work/Sub", "App Dir/Data", "Elsewhere"})
    fs::create_directories(s.path(directory));
  RunOptions options = withEnvironment({{"VELKOR_LOG", "yes"}, {"STANDIN_JVM_TRACE", "jvm-trace.txt"}});
  options.workingDirectory = kStartDirectory;
  const RunResult r = s.runCommandLine(exe, c.tail, options);

  EXPECT_EQ(r.exitCode, 0) << r;
  EXPECT_TRUE(r.boxes.empty()) << r;
  const std::string trace = std::string(c.current) + "/jvm-trace.txt";
  ASSERT_TRUE(s.exists(trace)) << "no trace in " << c.current << r;
  EXPECT_NE(s.readFile(trace).find("main -> return"), std::string::npos) << r;
  for (const char* other : {kStartDirectory, kExeDirectory, "App Dir/Bin/Work/Sub", "App Dir/Data", "Elsewhere"})
    if (std::string(other) != c.current)
      EXPECT_FALSE(s.exists(std::string(other) + "/jvm-trace.txt")) << "a trace in " << other << r;

  const std::string log = r.log();
  const std::string changeLine = "\r\nchange working directory to " + s.windowsPath(c.current) + "\r\n";
  const bool languageRestart = std::string(c.tail).find("__mqv_lang_restart") != std::string::npos;
  if (c.changed) {
    EXPECT_NE(log.find(changeLine), std::string::npos) << changeLine << r;
  } else {
    EXPECT_EQ(log.find("change working directory"), std::string::npos) << r;
    EXPECT_EQ(log.find("\r\nworking directory unchanged\r\n") != std::string::npos, !languageRestart) << r;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Wine, WorkingDirectory,
    ::testing::Values(WorkingDirectoryCase{"dot", ".", false, "", kExeDirectory, true},
                      WorkingDirectoryCase{"relative", "Work\\Sub", false, "", "App Dir/Bin/Work/Sub", true},
                      WorkingDirectoryCase{"parent", "..\\Data", false, "", "App Dir/Data", true},
                      WorkingDirectoryCase{"absolute", "Elsewhere", true, "", "Elsewhere", true},
                      WorkingDirectoryCase{"empty", "", false, "", kStartDirectory, false},
                      WorkingDirectoryCase{"languageRestart", "Work\\Sub", false, " __mqv_lang_restart",
                                           kStartDirectory, false}),
    [](const ::testing::TestParamInfo<WorkingDirectoryCase>& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------
// The launcher temporary directory of an application launcher with included
// files.

constexpr char kIncludedFile[] = "[[files]]\nname = \"notes.txt\"\ncontent = \"carried along\"\n";

TEST(LauncherTempDirectory, IsMadeBelowTmpBesideItsEmptyNameFileAndHandedToJava) {
  Scenario s;
  ASSERT_TRUE(s.stamp(appConfig("search_sequence = 'Bjre;'\n", kIncludedFile)));
  s.copyRuntime("jre", "jre");
  const RunResult r = s.run("app.exe", {}, withEnvironment({}));
  EXPECT_EQ(r.exitCode, 0) << r;
  EXPECT_TRUE(r.boxes.empty()) << r;

  const std::vector<std::string> names = namesIn(s, "tmp");
  ASSERT_EQ(names.size(), 2u) << joined(names) << r;
  const std::string& nameFile = names[0];
  EXPECT_TRUE(std::regex_match(nameFile, std::regex("vxk[0-9A-Fa-f]{1,4}\\.tmp"))) << joined(names) << r;
  EXPECT_EQ(names[1], nameFile + "_dir") << joined(names) << r;
  EXPECT_TRUE(fs::is_regular_file(s.path("tmp/" + nameFile))) << r;
  EXPECT_EQ(fs::file_size(s.path("tmp/" + nameFile)), 0u) << r;
  const std::string directory = "tmp/" + nameFile + "_dir";
  ASSERT_TRUE(fs::is_directory(s.path(directory))) << r;
  EXPECT_EQ(namesIn(s, directory), std::vector<std::string>{"notes.txt"}) << r;
  EXPECT_EQ(s.readFile(directory + "/notes.txt"), "carried along") << r;

  const std::vector<std::string> options = jvmOptions(s.readFile("jre/jvm-trace.txt"));
  EXPECT_EQ(std::count(options.begin(), options.end(), "-Dvelkor.tempDir=" + s.windowsPath(directory)), 1)
      << joined(options) << r;
}

TEST(LauncherTempDirectory, ThatCannotBeMadeIsInternalError7) {
  Scenario s;
  ASSERT_TRUE(s.stamp(appConfig("search_sequence = 'Bjre;'\n", kIncludedFile)));
  s.copyRuntime("jre", "jre");
  s.writeFile("plain.txt", "a file, not a directory");
  // Nothing can be created below a plain file, whatever name is tried.
  const RunResult r = s.run("app.exe", {}, withEnvironment({{"TMP", s.windowsPath("plain.txt") + "\\sub"}}));
  EXPECT_EQ(r.exitCode, 1) << r;
  ASSERT_EQ(r.boxes.size(), 1u) << r;
  EXPECT_EQ(r.boxes[0].text, "An internal error occurred (error code: 7)") << r;
  EXPECT_EQ(r.boxes[0].title, "Error") << r;
  EXPECT_EQ(r.boxes[0].flags, kMbIconError) << r;
  EXPECT_EQ(s.readFile("plain.txt"), "a file, not a directory") << r;
  EXPECT_EQ(namesIn(s, "tmp"), std::vector<std::string>{}) << r;
  EXPECT_FALSE(s.exists("jre/jvm-trace.txt")) << r;
}

}  // namespace
}  // namespace e2e
