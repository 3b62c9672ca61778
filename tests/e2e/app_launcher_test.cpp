// The application launcher end to end: stamped, started under Wine beside the
// stand-in Java runtime, and judged by what the runtime traced (the options
// the JVM was created with, the classes and methods looked up, the arguments
// main received), by the exit code, the streams, the message boxes and the
// log.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "harness/scenario.h"

namespace e2e {
namespace {

using Lines = std::vector<std::string>;

constexpr uint32_t kMbIconError = 0x10;

const std::string kMorvaneLauncher = "com/morvane/runtime/launcher/WinLauncher";
const std::string kVelkorLauncher = "com/velkor/runtime/WinLauncher";
const std::string kFirstRun = "com/morvane/runtime/launcher/FirstRun";

// The texts every stamped block carries unless its config replaces them.
constexpr char kJvmNotStarted[] =
    "The JVM could not be started. The maximum heap size (-Xmx) might be too large or an antivirus or firewall tool "
    "could block the execution.";
constexpr char kNoJvm64[] =
    "No JVM could be found on your system.\nPlease define VELKOR_JAVA_HOME\nto point to an installed 64-bit JDK or "
    "JRE or download a JRE from https://java.com.";

constexpr char kMainFailed[] = "Exception in thread \"main\" java.lang.IllegalStateException: stand-in main failed\r\n";
constexpr char kFirstRunFailed[] =
    "Exception in thread \"main\" java.lang.IllegalStateException: stand-in firstRun failed\r\n";

// What every scenario installs: app.exe in the scenario's root, the stand-in
// runtime in jre\ (the only place the search looks), the application archive
// that the class path demands, and an installation directory inst\ that
// holds nothing unless a test puts the first-run marker there.
constexpr char kBaseSettings[] = R"(main_class = "demo.Main"
search_sequence = "Bjre;"
installation_directory = "inst"
native_library_directories = "natives\\first;natives\\second"
class_path = "A1lib\\app.jar;D0classes"
)";

// A PATH of our own, so that java.library.path can be predicted.
constexpr char kPath[] = "C:\\windows\\system32;C:\\windows";

Lines operator+(Lines first, const Lines& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

Lines splitLines(const std::string& text) {
  Lines lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

std::string joinLines(const Lines& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

std::string lowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

void install(Scenario& s, const std::string& settings, const std::string& script, const std::string& files = "",
             bool runtime = true) {
  if (runtime) {
    s.copyRuntime("jre", "jre");
    s.writeFile("jre/jvm-script.txt", script);
  }
  s.writeFile("lib/app.jar", "application archive");
  s.stamp(std::string("kind = \"app\"\n[settings]\n") + kBaseSettings + settings + "\n" + files);
}

void placeFirstRunMarker(Scenario& s) { s.writeFile("inst/.morvane/firstrun", ""); }

RunOptions launchOptions(bool log) {
  RunOptions options;
  options.env = {{"PATH", kPath}};
  if (log) options.env.emplace_back("VELKOR_LOG", "yes");
  options.unset = {"MANPATH", "VELKOR_JAVA_HOME", "MORVANE_JAVA_HOME", "MORVANE_LOG"};
  if (!log) options.unset.push_back("VELKOR_LOG");
  return options;
}

// What the stand-in runtime traced; empty when no JVM was ever created.
Lines traceOf(const Scenario& s) {
  if (!s.exists("jre/jvm-trace.txt")) return {};
  return splitLines(s.readFile("jre/jvm-trace.txt"));
}

// The trace from the result of JNI_CreateJavaVM on: what the launcher did
// with the JVM once it asked for one.
Lines afterCreation(const Lines& trace) {
  const auto at = std::find_if(trace.begin(), trace.end(),
                               [](const std::string& line) { return line.rfind("JNI_CreateJavaVM -> ", 0) == 0; });
  return Lines(at, trace.end());
}

// The option texts of the creation, in order.
Lines creationOptions(const Lines& trace) {
  Lines options;
  const std::regex option("option ([0-9]+)=(.*)");
  for (const std::string& line : trace) {
    std::smatch match;
    if (!std::regex_match(line, match, option)) continue;
    if (match[1] != std::to_string(options.size())) break;
    options.push_back(match[2]);
  }
  return options;
}

std::optional<std::string> optionValue(const Lines& trace, const std::string& name) {
  const std::string prefix = "-D" + name + "=";
  for (const std::string& option : creationOptions(trace))
    if (option.rfind(prefix, 0) == 0) return option.substr(prefix.size());
  return std::nullopt;
}

Lines creationHeader(std::size_t optionCount) {
  return {"JNI_CreateJavaVM version=0x00010002 options=" + std::to_string(optionCount) + " ignoreUnrecognized=1"};
}

Lines numberedOptions(const Lines& options) {
  Lines lines;
  for (std::size_t i = 0; i < options.size(); ++i) lines.push_back("option " + std::to_string(i) + "=" + options[i]);
  return lines;
}

// Looking up the launcher class, building the argument array and calling
// main, up to main's own trace of the arguments.
Lines mainCall(const std::string& launcherClass, const Lines& arguments) {
  const std::string count = std::to_string(arguments.size());
  Lines lines = {"FindClass " + launcherClass + " -> found",
                 "GetStaticMethodID " + launcherClass + " main ([Ljava/lang/String;)V -> found",
                 "FindClass java/lang/String -> found",
                 "NewObjectArray " + count + " java/lang/String",
                 "call " + launcherClass + ".main",
                 "main args=" + count};
  for (std::size_t i = 0; i < arguments.size(); ++i)
    lines.push_back("main arg " + std::to_string(i) + "=" + arguments[i]);
  return lines;
}

const Lines kCreated = {"JNI_CreateJavaVM -> 0"};
const Lines kMainReturns = {"main -> return", "ExceptionOccurred -> no"};
const Lines kMainThrows = {"main -> throw", "ExceptionOccurred -> yes", "ExceptionDescribe"};
const Lines kDestroyed = {"DestroyJavaVM enter", "DestroyJavaVM return"};

Lines firstRunCall(const std::string& answer) {
  return {"FindClass " + kFirstRun + " -> found",
          "GetStaticMethodID " + kFirstRun + " firstRun ()Z -> found",
          "call " + kFirstRun + ".firstRun", "firstRun -> " + answer};
}

// The five leading arguments with the stamp defaults of an application
// (GUI, error log "error.log" passed, no output log, flag 106 on) and the
// program name as the harness writes it.
Lines defaultArguments(const Scenario& s) {
  return {"true", "demo.Main", s.windowsPath("error.log"), "", "true", s.windowsPath("app.exe")};
}

// A message as the launcher shows it: with the log's path behind it when a
// log exists.
std::string shownText(const std::string& text, const RunResult& r) {
  if (r.logFiles.size() != 1) return text;
  return text + "\n\nLog: " + windowsPathOf(r.scenario / r.logFiles[0]);
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Standard error is written in text mode.
std::string crlf(const std::string& text) {
  std::string converted;
  for (char c : text) converted += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return converted;
}

// The one error box of a run. Wine's trace shows only the first 300 or so
// characters of a text (a log path behind a long message may not fit): then
// the part shown must begin the expected text.
void expectErrorBox(const RunResult& r, const std::string& expected) {
  ASSERT_EQ(r.boxes.size(), 1u) << r;
  const MessageBoxCall& box = r.boxes[0];
  if (box.cut) {
    EXPECT_GE(box.text.size(), 250u) << r;
    EXPECT_EQ(box.text, expected.substr(0, box.text.size())) << r;
  } else {
    EXPECT_EQ(box.text, expected) << r;
  }
  EXPECT_EQ(box.title, "Error") << r;
  EXPECT_EQ(box.flags, kMbIconError) << r;
}

// --- The worked example: options and arguments in full ---------------------

struct WorkedExampleCase {
  const char* name;
  bool singleInstance;
  bool manPathDefined;
};

void PrintTo(const WorkedExampleCase& c, std::ostream* out) { *out << c.name; }

class WorkedExample : public ::testing::TestWithParam<WorkedExampleCase> {};

// A GUI application, error log passed, no output log, flag 106 on, no
// default arguments, "-J" arguments as VM options, started as
// [app.exe -Xfoo "a b" -J-Xmx64m] with an app.vmoptions beside it.
TEST_P(WorkedExample, CreatesTheJvmWithItsOptionsInOrderAndCallsMainWithTheArguments) {
  const WorkedExampleCase& c = GetParam();
  Scenario s;
  install(s,
          std::string(R"(executable_kind = 1
pass_error_log = true
error_log = "error.log"
pass_output_log = false
java_side_flag = true
default_arguments = ""
j_arguments_are_vm_options = true
vm_parameters = "-Dconfigured=yes '-Dtwo words=x'"
single_instance = )") + (c.singleInstance ? "true" : "false") + "\n",
          "");
  s.writeFile("app.vmoptions", "# options of this installation\r\n-Dfrom.file=1\r\n   -Xss2m   \r\n");
  RunOptions options = launchOptions(false);
  if (c.manPathDefined) {
    options.unset.erase(std::find(options.unset.begin(), options.unset.end(), "MANPATH"));
    options.env.emplace_back("MANPATH", "C:\\man");
  }
  options.programName = "app.exe";
  const RunResult r = s.runCommandLine("app.exe", " -Xfoo \"a b\" -J-Xmx64m", options);
  EXPECT_EQ(r.exitCode, 0) << r;
  EXPECT_TRUE(r.boxes.empty()) << r;
  EXPECT_EQ(r.err, "") << r;

  const std::string dir = s.windowsPath("");
  const std::string exe = s.windowsPath("app.exe");
  Lines expectedOptions = {"-Dvelkor.isMorvane=true", "-Dvelkor.moduleName=" + exe, "-Dsun.java.command=" + exe};
  // The process id is not known outside the process: it is checked as a
  // number and then written as <pid>.
  if (c.singleInstance)
    expectedOptions.push_back("-Dvelkor.processCommFile=" + s.windowsPath("tmp") + "\\vxk_p<pid>.tmp");
  expectedOptions.push_back("-Dvelkor.tempDir=");
  expectedOptions.push_back("-Dvelkor.unextractedPosition=0");
  expectedOptions.push_back("-Djava.library.path=" + dir + "\\natives\\first;" + dir + "\\natives\\second;" + kPath +
                            ";" + lowerAscii(dir) + "\\jre\\bin");
  // A GUI program started this way has no console.
  if (!c.manPathDefined) expectedOptions.push_back("-Dvelkor.consoleCodepage=cp0");
  expectedOptions = expectedOptions + Lines{"-Dconfigured=yes", "-Dtwo words=x", "-Xmx64m", "-Dfrom.file=1", "-Xss2m",
                                            "-Djava.class.path=" + dir + "\\inst\\.morvane\\mqvruntime.jar;" + dir +
                                                "\\lib\\app.jar;" + dir + "\\classes;"};
  const Lines expected = creationHeader(expectedOptions.size()) + numberedOptions(expectedOptions) +
                         kCreated +
                         mainCall(kMorvaneLauncher, {"true", "demo.Main", dir + "\\error.log", "", "true", "app.exe",
                                                     "-Xfoo", "a b"}) +
                         kMainReturns + kDestroyed;

  Lines trace = traceOf(s);
  for (std::string& line : trace) {
    if (line.find("-Dvelkor.processCommFile=") == std::string::npos) continue;
    line = std::regex_replace(line, std::regex("\\\\vxk_p[0-9]+\\.tmp$"), "\\vxk_p<pid>.tmp");
  }
  EXPECT_EQ(joinLines(trace), joinLines(expected)) << r;
}

INSTANTIATE_TEST_SUITE_P(AppLauncher, WorkedExample,
                         ::testing::Values(WorkedExampleCase{"singleInstanceOff", false, false},
                                           WorkedExampleCase{"singleInstanceOn", true, false},
                                           WorkedExampleCase{"manPathDefined", false, true}),
                         [](const ::testing::TestParamInfo<WorkedExampleCase>& info) {
                           return std::string(info.param.name);
                         });

TEST(AppLauncherArguments, OutsideTheAnsiCodePageReachMainUnchangedAndTheLogShowsQuestionMarks) {
  Scenario s;
  install(s, "", "");
  const std::string chinese = "\xE4\xB8\xAD\xE6\x96\x87";      // two CJK characters
  const std::string cafeSnowman = "caf\xC3\xA9 \xE2\x98\x83";  // é is in code page 1252, the snowman is not
  const std::string emoji = "\xF0\x9F\x98\x80";                // outside the BMP: a surrogate pair
  const RunResult r = s.run("app.exe", {chinese, cafeSnowman, emoji}, launchOptions(true));
  EXPECT_EQ(r.exitCode, 0) << r;
  EXPECT_TRUE(r.boxes.empty()) << r;
  EXPECT_EQ(joinLines(afterCreation(traceOf(s))),
            joinLines(Lines{"JNI_CreateJavaVM -> 0"} +
                      mainCall(kMorvaneLauncher, defaultArguments(s) + Lines{chinese, cafeSnowman, emoji}) +
                      kMainReturns + kDestroyed))
      << r;

  // The log is written in the ANSI code page.
  const std::string log = r.log();
  EXPECT_TRUE(contains(log, "param count: 9\r\n")) << r;
  EXPECT_TRUE(contains(log, "param 6: ??\r\n")) << r;
  EXPECT_TRUE(contains(log, "param 7: caf\xE9 ?\r\n")) << r;
  // One character, two UTF-16 units: each unit may be replaced on its own.
  EXPECT_TRUE(std::regex_search(log, std::regex("param 8: \\?\\??\r\n"))) << r;
}

// --- Failures and the paths that end early ---------------------------------

struct LaunchCase {
  const char* name = "";
  const char* settings = "";
  const char* script = "";
  bool marker = false;  // .morvane\firstrun below the installation directory
  bool runtime = true;  // a runtime where the search looks
  bool log = false;     // VELKOR_LOG=yes
  bool quiet = false;   // started with -q_mqv_internal: errors go to standard error
  int64_t exitCode = 0;
  const char* message = nullptr;  // the error shown (in a box, or on standard error behind err)
  const char* err = "";           // what the runtime wrote to standard error
  const char* logLine = nullptr;  // a line the log must hold
  bool isMorvaneProperty = true;
  // The trace from the creation's result on; empty: no JVM was created.
  Lines (*trace)(const Scenario& s) = nullptr;
};

void PrintTo(const LaunchCase& c, std::ostream* out) { *out << c.name; }

class LaunchOutcome : public ::testing::TestWithParam<LaunchCase> {};

TEST_P(LaunchOutcome, MatchesTheTraceMessageAndExitCode) {
  const LaunchCase& c = GetParam();
  Scenario s;
  install(s, c.settings, c.script, "", c.runtime);
  if (c.marker) placeFirstRunMarker(s);
  const RunResult r = s.runCommandLine("app.exe", c.quiet ? " -q_mqv_internal" : "", launchOptions(c.log));

  EXPECT_EQ(r.exitCode, c.exitCode) << r;
  if (c.message && !c.quiet) {
    expectErrorBox(r, shownText(c.message, r));
    EXPECT_EQ(r.err, c.err) << r;
  } else {
    EXPECT_TRUE(r.boxes.empty()) << r;
    EXPECT_EQ(r.err, c.err + (c.message ? crlf(shownText(c.message, r)) + "\r\n" : std::string())) << r;
  }
  EXPECT_EQ(r.logFiles.size(), c.log ? 1u : 0u) << r;
  if (c.logLine) EXPECT_TRUE(contains(r.log(), std::string(c.logLine) + "\r\n")) << r;

  const Lines trace = traceOf(s);
  EXPECT_EQ(joinLines(afterCreation(trace)), joinLines(c.trace(s))) << r;
  if (!trace.empty()) EXPECT_EQ(optionValue(trace, "velkor.isMorvane").has_value(), c.isMorvaneProperty) << r;
}

INSTANTIATE_TEST_SUITE_P(
    AppLauncher, LaunchOutcome,
    ::testing::Values(
        LaunchCase{.name = "launcherClassMissing",
                   .script = "missing_class=com/morvane/runtime/launcher/WinLauncher\n",
                   .exitCode = 1,
                   .message = "Couldn't load main class.",
                   .trace = [](const Scenario&) {
                     return kCreated + Lines{"FindClass " + kMorvaneLauncher + " -> missing"};
                   }},
        LaunchCase{.name = "mainMethodMissing",
                   .script = "missing_method=com/morvane/runtime/launcher/WinLauncher.main\n",
                   .exitCode = 1,
                   .message = "Main method not found.",
                   .trace = [](const Scenario&) {
                     return kCreated + Lines{"FindClass " + kMorvaneLauncher + " -> found",
                                             "GetStaticMethodID " + kMorvaneLauncher +
                                                 " main ([Ljava/lang/String;)V -> missing"};
                   }},
        LaunchCase{.name = "creationFails",
                   .script = "create=fail\n",
                   .exitCode = 1,
                   .message = kJvmNotStarted,
                   .trace = [](const Scenario&) { return Lines{"JNI_CreateJavaVM -> -1"}; }},
        // The process ends with the message; the JVM is not destroyed.
        LaunchCase{.name = "mainThrows",
                   .script = "main=throw\n",
                   .exitCode = 1,
                   .message = kJvmNotStarted,
                   .err = kMainFailed,
                   .trace = [](const Scenario& s) {
                     return kCreated + mainCall(kMorvaneLauncher, defaultArguments(s)) + kMainThrows;
                   }},
        LaunchCase{.name = "mainExits",
                   .script = "main=exit:7\n",
                   .exitCode = 7,
                   .trace = [](const Scenario& s) {
                     return kCreated + mainCall(kMorvaneLauncher, defaultArguments(s)) + Lines{"main -> exit 7"};
                   }},
        LaunchCase{.name = "firstRunClassMissing",
                   .script = "missing_class=com/morvane/runtime/launcher/FirstRun\n",
                   .marker = true,
                   .exitCode = 1,
                   .message = "An internal error occurred (error code: 14)",
                   .trace = [](const Scenario&) {
                     return kCreated + Lines{"FindClass " + kFirstRun + " -> missing"};
                   }},
        LaunchCase{.name = "firstRunMethodMissing",
                   .script = "missing_method=com/morvane/runtime/launcher/FirstRun.firstRun\n",
                   .marker = true,
                   .exitCode = 1,
                   .message = "An internal error occurred (error code: 15)",
                   .trace = [](const Scenario&) {
                     return kCreated + Lines{"FindClass " + kFirstRun + " -> found",
                                             "GetStaticMethodID " + kFirstRun + " firstRun ()Z -> missing"};
                   }},
        LaunchCase{.name = "firstRunTrue",
                   .script = "first_run=true\n",
                   .marker = true,
                   .trace = [](const Scenario& s) {
                     return kCreated + firstRunCall("true") + Lines{"ExceptionOccurred -> no"} +
                            mainCall(kMorvaneLauncher, defaultArguments(s)) + kMainReturns + kDestroyed;
                   }},
        LaunchCase{.name = "firstRunFalse",
                   .script = "first_run=false\n",
                   .marker = true,
                   .log = true,
                   .logLine = "checkFirstRun stopped further execution",
                   .trace = [](const Scenario&) {
                     return kCreated + firstRunCall("false") + Lines{"ExceptionOccurred -> no"} + kDestroyed;
                   }},
        LaunchCase{.name = "firstRunThrows",
                   .script = "first_run=throw\n",
                   .marker = true,
                   .err = kFirstRunFailed,
                   .trace = [](const Scenario&) {
                     return kCreated + firstRunCall("throw") + Lines{"ExceptionOccurred -> yes", "ExceptionDescribe"} +
                            kDestroyed;
                   }},
        // Without the marker the first-run class is never asked for, so its
        // absence does not matter.
        LaunchCase{.name = "noMarker",
                   .script = "missing_class=com/morvane/runtime/launcher/FirstRun\n",
                   .trace = [](const Scenario& s) {
                     return kCreated + mainCall(kMorvaneLauncher, defaultArguments(s)) + kMainReturns + kDestroyed;
                   }},
        // Product letter e: its own launcher class, no first-run hook even
        // with the marker in place, no velkor.isMorvane.
        LaunchCase{.name = "productLetterE",
                   .settings = "product_letter = \"e\"\n",
                   .script = "missing_class=com/morvane/runtime/launcher/FirstRun\n"
                             "missing_class=com/morvane/runtime/launcher/WinLauncher\n",
                   .marker = true,
                   .isMorvaneProperty = false,
                   .trace = [](const Scenario& s) {
                     return kCreated + mainCall(kVelkorLauncher, defaultArguments(s)) + kMainReturns + kDestroyed;
                   }},
        LaunchCase{.name = "noRuntime",
                   .runtime = false,
                   .exitCode = 83,
                   .message = kNoJvm64,
                   .trace = [](const Scenario&) { return Lines{}; }},
        // On standard error nothing of the text is cut, the log path included.
        LaunchCase{.name = "noRuntimeLogged",
                   .runtime = false,
                   .log = true,
                   .quiet = true,
                   .exitCode = 83,
                   .message = kNoJvm64,
                   .logLine = "ERROR: No JVM found",
                   .trace = [](const Scenario&) { return Lines{}; }}),
    [](const ::testing::TestParamInfo<LaunchCase>& info) { return std::string(info.param.name); });

TEST(AppLauncherLaunch, DestroyingTheJvmWaitsForTheApplicationsThreads) {
  Scenario s;
  install(s, "", "thread_after_main_ms=1500\n");
  const auto start = std::chrono::steady_clock::now();
  const RunResult r = s.run("app.exe", {}, launchOptions(false));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(r.exitCode, 0) << r;
  EXPECT_TRUE(r.boxes.empty()) << r;
  EXPECT_GE(elapsed, std::chrono::milliseconds(1500)) << r;
  EXPECT_EQ(joinLines(afterCreation(traceOf(s))),
            joinLines(kCreated + mainCall(kMorvaneLauncher, defaultArguments(s)) +
                      Lines{"thread started", "main -> return", "ExceptionOccurred -> no", "DestroyJavaVM enter",
                            "thread ended", "DestroyJavaVM return"}))
      << r;
}

// --- Start-up options -------------------------------------------------------

struct StartupCase {
  const char* name;
  const char* settings;
  const char* tail;  // behind the program name, as typed
  bool errorsInBox;
  bool languageRestart;
  Lines forwarded;  // what main receives behind the program name
};

void PrintTo(const StartupCase& c, std::ostream* out) { *out << c.name; }

class StartupOptions : public ::testing::TestWithParam<StartupCase> {};

// main throws, so every run ends in an error report: where it appears shows
// whether errors were switched to standard error.
TEST_P(StartupOptions, ChooseWhereErrorsGoAndReachMain) {
  const StartupCase& c = GetParam();
  Scenario s;
  install(s, c.settings, "main=throw\n");
  const RunResult r = s.runCommandLine("app.exe", c.tail, launchOptions(true));

  EXPECT_EQ(r.exitCode, 1) << r;
  const std::string message = shownText(kJvmNotStarted, r);
  if (c.errorsInBox) {
    expectErrorBox(r, message);
    EXPECT_EQ(r.err, kMainFailed) << r;
  } else {
    EXPECT_TRUE(r.boxes.empty()) << r;
    EXPECT_EQ(r.err, kMainFailed + crlf(message) + "\r\n") << r;
  }

  const Lines trace = traceOf(s);
  EXPECT_EQ(joinLines(afterCreation(trace)),
            joinLines(kCreated + mainCall(kMorvaneLauncher, defaultArguments(s) + c.forwarded) + kMainThrows))
      << r;
  EXPECT_EQ(optionValue(trace, "velkor.unextractedPosition"), c.languageRestart ? "-1" : "0") << r;

  // Setting 146 is "."; a language restart leaves the directory alone.
  const std::string log = r.log();
  if (c.languageRestart) {
    EXPECT_FALSE(contains(log, "working directory")) << r;
  } else {
    EXPECT_TRUE(contains(log, "\nchange working directory to " + s.windowsPath("") + "\r\n")) << r;
  }
}

// Whether "-console" and "-c" attached a console cannot be seen here: under
// Wine a GUI process's attachment to its parent's console is refused as
// already done, and it still reports no console code page.
INSTANTIATE_TEST_SUITE_P(
    AppLauncher, StartupOptions,
    ::testing::Values(
        StartupCase{"plain", "", " x", true, false, {"x"}},
        StartupCase{"internalQuiet", "", " -q_mqv_internal x", false, false, {"-q_mqv_internal", "x"}},
        StartupCase{"internalQuietNotFirst", "", " x -q_mqv_internal", true, false, {"x", "-q_mqv_internal"}},
        StartupCase{"consoleOptionsOff", "console_options = false\nconsole_option = false\n", " -q -c -console", true,
                    false, {"-q", "-c", "-console"}},
        StartupCase{"quietWith154", "console_options = true\n", " -q", false, false, {"-q"}},
        StartupCase{"onlyConsoleWith156", "console_option = true\n", " -console -q -c", true, false,
                    {"-console", "-q", "-c"}},
        StartupCase{"cWith154", "console_options = true\n", " -c -q", false, false, {"-c", "-q"}},
        StartupCase{"languageRestart", "", " __mqv_lang_restart x", true, true, {"__mqv_lang_restart", "x"}},
        StartupCase{"rebootWithAWord", "", " __mqv_reboot x", true, false, {"__mqv_reboot", "x"}}),
    [](const ::testing::TestParamInfo<StartupCase>& info) { return std::string(info.param.name); });

// --- Included files ---------------------------------------------------------

// The launcher temporary directory that a run created in the scenario's tmp.
std::optional<std::string> launcherTempDirectory(const Scenario& s) {
  for (const auto& entry : std::filesystem::directory_iterator(s.path("tmp"))) {
    const std::string name = entry.path().filename().string();
    if (entry.is_directory() && std::regex_match(name, std::regex("vxk[0-9A-Fa-f]+\\.tmp_dir"))) return name;
  }
  return std::nullopt;
}

std::optional<int64_t> inspectedNumber(const std::string& report, const std::string& label) {
  std::smatch match;
  if (!std::regex_search(report, match, std::regex("(^|\n)" + label + ": ([0-9]+)"))) return std::nullopt;
  return std::stoll(match[2]);
}

TEST(AppLauncherIncludedFiles, AreExtractedForJavaAndTheirArchivesLeadTheClassPath) {
  Scenario s;
  install(s, "single_instance = false\n", "", R"(
[[files]]
name = "a.jar"
content = "first archive"
[[files]]
name = "empty.bin"
content = ""
[[files]]
name = "notes.txt"
content = "plain data"
[[files]]
name = "user\\b.jar"
content = "user archive"
[[files]]
name = "c.zip"
content = "zip archive"
)");
  const RunResult r = s.run("app.exe", {}, launchOptions(false));
  EXPECT_EQ(r.exitCode, 0) << r;
  EXPECT_TRUE(r.boxes.empty()) << r;

  const std::optional<std::string> name = launcherTempDirectory(s);
  ASSERT_TRUE(name) << "no launcher temporary directory in tmp" << r;
  const std::string extracted = "tmp/" + *name;
  EXPECT_EQ(s.readFile(extracted + "/a.jar"), "first archive") << r;
  EXPECT_EQ(s.readFile(extracted + "/notes.txt"), "plain data") << r;
  EXPECT_EQ(s.readFile(extracted + "/user/b.jar"), "user archive") << r;
  EXPECT_EQ(s.readFile(extracted + "/c.zip"), "zip archive") << r;
  EXPECT_FALSE(s.exists(extracted + "/empty.bin")) << "a file of size 0 was created" << r;

  // Behind the last included file stands the Java-side block: its magic and
  // a count of 0, then the padding.
  const std::optional<int64_t> blockEnd = inspectedNumber(s.inspect(), "block end");
  ASSERT_TRUE(blockEnd);
  const int64_t position = *blockEnd - 8;
  ASSERT_EQ(s.readFile("app.exe").substr(static_cast<std::size_t>(position), 8),
            std::string("\xE8\xE4\x13\xD5\0\0\0\0", 8));

  const std::string dir = s.windowsPath("");
  const std::string temp = s.windowsPath(extracted);
  const Lines expectedOptions = {
      "-Dvelkor.isMorvane=true",
      "-Dvelkor.moduleName=" + s.windowsPath("app.exe"),
      "-Dsun.java.command=" + s.windowsPath("app.exe"),
      "-Dvelkor.tempDir=" + temp,
      "-Dvelkor.unextractedPosition=" + std::to_string(position),
      "-Djava.library.path=" + dir + "\\natives\\first;" + dir + "\\natives\\second;" + kPath + ";" + lowerAscii(dir) +
          "\\jre\\bin",
      "-Dvelkor.consoleCodepage=cp0",
      "-Djava.class.path=" + temp + "\\a.jar;" + temp + "\\c.zip;" + temp + "\\user\\b.jar;" + dir +
          "\\inst\\.morvane\\mqvruntime.jar;" + dir + "\\lib\\app.jar;" + dir + "\\classes;",
  };
  EXPECT_EQ(joinLines(traceOf(s)),
            joinLines(creationHeader(expectedOptions.size()) + numberedOptions(expectedOptions) + kCreated +
                      mainCall(kMorvaneLauncher, defaultArguments(s)) + kMainReturns + kDestroyed))
      << r;
}

TEST(AppLauncherIncludedFiles, ANameTwoLevelsBelowAMissingDirectoryIsInternalError11) {
  Scenario s;
  install(s, "", "", R"(
[[files]]
name = "a.jar"
content = "first archive"
[[files]]
name = "x\\y\\z.txt"
content = "too deep"
)");
  const RunResult r = s.run("app.exe", {}, launchOptions(false));
  EXPECT_EQ(r.exitCode, 1) << r;
  expectErrorBox(r, "An internal error occurred (error code: 11)");
  EXPECT_TRUE(traceOf(s).empty()) << "a JVM was created" << r;

  // The first level was created; the file below the second could not be.
  const std::optional<std::string> name = launcherTempDirectory(s);
  ASSERT_TRUE(name) << r;
  EXPECT_EQ(s.readFile("tmp/" + *name + "/a.jar"), "first archive") << r;
  EXPECT_TRUE(std::filesystem::is_directory(s.path("tmp/" + *name + "/x"))) << r;
  EXPECT_FALSE(s.exists("tmp/" + *name + "/x/y")) << r;
}

}  // namespace
}  // namespace e2e
