#include "harness/scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "harness/child_process.h"

namespace e2e {

namespace fs = std::filesystem;

namespace {

// The runner needs this much time of its own beyond the program's time-out
// before the harness gives up on the whole Wine process.
constexpr int kWineStartAllowanceMs = 60000;
constexpr int kStampTimeoutMs = 60000;

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

std::string quoteIfNeeded(const std::string& argument) {
  if (!argument.empty() && argument.find_first_of(" \t") == std::string::npos) return argument;
  return "\"" + argument + "\"";
}

std::string directoryOf(const std::string& relative) {
  const fs::path parent = fs::path(relative).parent_path();
  return parent.string();
}

// A test name as a directory name: parameterised tests carry slashes.
std::string fileNameOf(std::string name) {
  std::replace(name.begin(), name.end(), '/', '_');
  return name;
}

std::string exitCodeText(int64_t code) {
  std::ostringstream text;
  text << code;
  if (code < 0 || code > 255) text << " (0x" << std::hex << static_cast<uint32_t>(code) << ")";
  return text.str();
}

// The runner reports exit codes above 255 in a line of its own, because
// Wine passes only the low byte on to Linux.
void takeFullExitCode(RunResult& result) {
  constexpr std::string_view kLine = "runner: exit code ";
  const std::size_t at = result.err.rfind(kLine);
  if (at == std::string::npos || (at > 0 && result.err[at - 1] != '\n')) return;
  const std::size_t end = result.err.find('\n', at);
  const std::string digits = result.err.substr(at + kLine.size(), end - at - kLine.size());
  result.exitCode = static_cast<int64_t>(std::strtoul(digits.c_str(), nullptr, 10));
  result.err.erase(at, end == std::string::npos ? std::string::npos : end + 1 - at);
}

}  // namespace

fs::path windowsBuildPath(const std::string& relative) { return fs::path(E2E_WINDOWS_BUILD_DIR) / relative; }
fs::path settingsProbe() { return windowsBuildPath("tests/e2e/settings_probe.exe"); }
fs::path processProbe() { return windowsBuildPath("tests/e2e/process_probe.exe"); }

std::string windowsPathOf(const fs::path& path) {
  std::string text = fs::absolute(path).lexically_normal().string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return "Z:" + text;
}

std::string RunResult::log() const {
  if (logFiles.empty()) return "";
  if (logFiles.size() > 1) {
    ADD_FAILURE() << "expected one log file, the run left " << logFiles.size() << ":\n" << *this;
    return "";
  }
  return readBytes(scenario / logFiles[0]);
}

std::ostream& operator<<(std::ostream& out, const RunResult& result) {
  out << "\n--- run in " << result.scenario.string() << "\n    command line: " << result.commandLine
      << "\n    exit code: " << exitCodeText(result.exitCode) << (result.timedOut ? " (timed out)" : "")
      << "\n--- stdout (" << result.out.size() << " bytes):\n"
      << result.out << "\n--- stderr (" << result.err.size() << " bytes):\n"
      << result.err << "\n--- message boxes: " << result.boxes.size() << "\n";
  for (const MessageBoxCall& box : result.boxes) out << "    " << box << "\n";
  out << "--- log files: " << result.logFiles.size() << "\n";
  for (const std::string& file : result.logFiles) {
    out << "    " << file << ":\n";
    std::string text = readBytes(result.scenario / file);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) out << "      | " << line << "\n";
  }
  return out << "---\n";
}

void PrintTo(const RunResult& result, std::ostream* out) { *out << result; }

Scenario::Scenario() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string name =
      test ? fileNameOf(std::string(test->test_suite_name()) + "." + test->name()) : std::string("outside-a-test");
  const fs::path work(E2E_WORK_DIR);
  fs::create_directories(work);
  // A directory of an earlier failed run stays; each run takes a new number.
  for (int n = 1;; ++n) {
    const fs::path candidate = work / (name + "-" + std::to_string(n));
    std::error_code error;
    if (fs::create_directory(candidate, error)) {
      root_ = candidate;
      break;
    }
    if (error) {
      ADD_FAILURE() << "cannot create " << candidate << ": " << error.message();
      root_ = candidate;
      break;
    }
  }
  fs::create_directory(root_ / "tmp");
}

Scenario::~Scenario() {
  if (::testing::Test::HasFailure()) {
    std::cout << "[ scenario ] kept " << root_.string() << "\n";
    return;
  }
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

fs::path Scenario::path(const std::string& relative) const {
  if (relative.empty()) return root_;
  const fs::path given(relative);
  return given.is_absolute() ? given : root_ / given;
}

std::string Scenario::windowsPath(const std::string& relative) const { return windowsPathOf(path(relative)); }

void Scenario::writeFile(const std::string& relative, const std::string& bytes) const {
  const fs::path target = path(relative);
  fs::create_directories(target.parent_path());
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) ADD_FAILURE() << "cannot write " << target;
}

std::string Scenario::readFile(const std::string& relative) const {
  const fs::path source = path(relative);
  if (!fs::exists(source)) {
    ADD_FAILURE() << "no file " << source;
    return "";
  }
  return readBytes(source);
}

bool Scenario::exists(const std::string& relative) const { return fs::exists(path(relative)); }

void Scenario::copyRuntime(const std::string& name, const std::string& relative) const {
  const fs::path source = windowsBuildPath("standin/" + name);
  if (!fs::is_directory(source)) {
    ADD_FAILURE() << "no stand-in runtime " << source << " (is the Windows build complete?)";
    return;
  }
  const fs::path target = path(relative);
  fs::create_directories(target);
  fs::copy(source, target, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

fs::path Scenario::launcherPath(const LauncherImage& launcher) const {
  if (launcher == "app") return windowsBuildPath("src/app-launcher.exe");
  if (launcher == "setup") return windowsBuildPath("src/setup-launcher.exe");
  return path(launcher);
}

void Scenario::copyExecutable(const LauncherImage& launcher, const std::string& exeRelative) const {
  const fs::path source = launcherPath(launcher);
  if (!fs::exists(source)) {
    ADD_FAILURE() << "no executable " << source;
    return;
  }
  const fs::path target = path(exeRelative);
  fs::create_directories(target.parent_path());
  fs::copy_file(source, target, fs::copy_options::overwrite_existing);
}

StampOutcome Scenario::runStamp(const std::string& toml, const LauncherImage& launcher,
                                const std::string& exeRelative) const {
#ifdef E2E_STAMP
  const fs::path exe = path(exeRelative);
  fs::create_directories(exe.parent_path());
  const fs::path config = fs::path(exe).replace_extension(".toml");
  writeFile(config.string(), toml);
  const ChildOutput child = runChild(
      {E2E_STAMP, "build", config.string(), "-o", exe.string(), "--launcher", launcherPath(launcher).string()},
      environmentWith({}, {}), kStampTimeoutMs);
  return {child.exitStatus, child.out, child.err};
#else
  (void)toml, (void)launcher, (void)exeRelative;
  return {-1, "", "the stamp tool is not part of this build"};
#endif
}

bool Scenario::stamp(const std::string& toml, const LauncherImage& launcher, const std::string& exeRelative) const {
  const StampOutcome outcome = runStamp(toml, launcher, exeRelative);
  if (outcome.exitCode == 0) return true;
  ADD_FAILURE() << "stamp build failed with exit code " << outcome.exitCode << "\n--- config:\n"
                << toml << "\n--- stdout:\n"
                << outcome.out << "\n--- stderr:\n"
                << outcome.err;
  return false;
}

StampOutcome Scenario::stampFailing(const std::string& toml, const LauncherImage& launcher,
                                    const std::string& exeRelative) const {
  return runStamp(toml, launcher, exeRelative);
}

std::string Scenario::inspect(const std::string& exeRelative) const {
#ifdef E2E_STAMP
  const ChildOutput child =
      runChild({E2E_STAMP, "inspect", path(exeRelative).string()}, environmentWith({}, {}), kStampTimeoutMs);
  if (child.exitStatus != 0)
    ADD_FAILURE() << "stamp inspect failed with exit code " << child.exitStatus << "\n--- stdout:\n"
                  << child.out << "\n--- stderr:\n"
                  << child.err;
  return child.out;
#else
  (void)exeRelative;
  ADD_FAILURE() << "the stamp tool is not part of this build";
  return "";
#endif
}

RunResult Scenario::run(const std::string& exeRelative, const std::vector<std::string>& arguments,
                        const RunOptions& options) {
  std::string tail;
  for (const std::string& argument : arguments) tail += " " + quoteIfNeeded(argument);
  return runCommandLine(exeRelative, tail, options);
}

RunResult Scenario::runCommandLine(const std::string& exeRelative, const std::string& exactTail,
                                   const RunOptions& options) {
  const std::string program =
      options.programName.empty() ? "\"" + windowsPath(exeRelative) + "\"" : options.programName;
  return runExact(exeRelative, program + exactTail, options);
}

RunResult Scenario::runExact(const std::string& exeRelative, const std::string& commandLine,
                             const RunOptions& options) {
  RunResult result;
  result.scenario = root_;
  result.commandLine = commandLine;

  const fs::path runner = windowsBuildPath("tests/e2e/runner.exe");
  const fs::path wineRun = windowsBuildPath("wine-run.sh");
  for (const fs::path& needed : {runner, wineRun, path(exeRelative)}) {
    if (!fs::exists(needed)) {
      ADD_FAILURE() << "cannot run: no " << needed << " (is the Windows build complete?)";
      return result;
    }
  }

  // Each item is one line of the request.
  bool oneLineEach = commandLine.find('\n') == std::string::npos;
  for (const auto& [name, value] : options.env)
    oneLineEach = oneLineEach && (name + value).find('\n') == std::string::npos;
  for (const std::string& name : options.unset) oneLineEach = oneLineEach && name.find('\n') == std::string::npos;
  if (!oneLineEach) {
    ADD_FAILURE() << "a line feed in the command line or the environment cannot be passed on: " << commandLine;
    return result;
  }

  // The request file stays in the scenario, so a kept scenario shows it.
  const std::string request = "run-" + std::to_string(++runs_) + ".request";
  std::string text = "application=" + windowsPath(exeRelative) + "\n";
  text += "command_line=" + commandLine + "\n";
  const std::string directory = options.workingDirectory.empty() ? directoryOf(exeRelative) : options.workingDirectory;
  text += "directory=" + windowsPath(directory) + "\n";
  text += "set=TMP=" + windowsPath("tmp") + "\n";
  text += "set=TEMP=" + windowsPath("tmp") + "\n";
  for (const auto& [name, value] : options.env) text += "set=" + name + "=" + value + "\n";
  for (const std::string& name : options.unset) text += "unset=" + name + "\n";
  text += "timeout_ms=" + std::to_string(options.timeoutMs) + "\n";
  writeFile(request, text);

  const std::string locale = options.locale + ".UTF-8";
  // Without a display a message box returns at once instead of waiting.
  const std::vector<std::string> environment = environmentWith(
      {"DISPLAY", "WAYLAND_DISPLAY", "LANGUAGE"},
      {"WINEDEBUG=-all,+relay", "LANG=" + locale, "LC_ALL=" + locale});
  const ChildOutput child = runChild({wineRun.string(), runner.string(), windowsPath(request)}, environment,
                                     options.timeoutMs + kWineStartAllowanceMs);

  RelayTrace trace = splitRelayTrace(child.err);
  result.exitCode = child.exitStatus;
  result.out = child.out;
  result.err = std::move(trace.programErr);
  result.boxes = std::move(trace.boxes);
  takeFullExitCode(result);
  result.timedOut = result.exitCode == 124 && result.err.find("runner: timed out\n") != std::string::npos;

  std::error_code error;
  for (const auto& entry : fs::directory_iterator(root_ / "tmp", error))
    if (entry.path().filename().string().rfind("mqv_nlog_", 0) == 0)
      result.logFiles.push_back("tmp/" + entry.path().filename().string());
  std::sort(result.logFiles.begin(), result.logFiles.end());

  if (child.killed)
    ADD_FAILURE() << "Wine did not end within " << options.timeoutMs + kWineStartAllowanceMs
                  << " ms and was killed" << result;
  else if (child.signaled)
    ADD_FAILURE() << "Wine was ended by a signal" << result;
  return result;
}

std::optional<ProbedSettings> Scenario::probe(const std::string& exeRelative, const RunOptions& options) {
  const RunResult result = run(exeRelative, {}, options);
  if (result.exitCode != 0 || !result.boxes.empty()) {
    ADD_FAILURE() << "the probe did not read its block" << result;
    return std::nullopt;
  }
  auto settings = parseSettingsProbe(result.out);
  if (!settings) ADD_FAILURE() << result;
  return settings;
}

}  // namespace e2e
