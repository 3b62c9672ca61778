// java.exe and javaw.exe of the stand-in runtime. The launchers start java.exe
// with -version and read the first line of its standard error; every start is
// counted in java-invocations.txt beside the program so that tests can tell a
// version taken from the cache from one that cost a process start.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "support/standin_support.h"

namespace {

struct JavaScript {
  std::string versionLine = "java version \"1.6.0_20\"";
  int exitCode = 0;
  bool hang = false;
};

constexpr int kBadScriptExitCode = 99;

bool applyEntry(const standin::ScriptEntry& entry, JavaScript& script) {
  if (entry.key == "version_line") {
    script.versionLine = entry.value;
    return true;
  }
  if (entry.key == "exit_code") return standin::parseInt32(entry.value, script.exitCode);
  if (entry.key == "hang") {
    if (entry.value != "0" && entry.value != "1") return false;
    script.hang = entry.value == "1";
    return true;
  }
  return false;
}

// A real runtime follows its version line with a line naming its build; the
// launchers must read only the first one.
std::string secondVersionLine(const std::string& versionLine) {
  std::string version = "unknown";
  std::size_t open = versionLine.find('"');
  if (open != std::string::npos) {
    std::size_t close = versionLine.find('"', open + 1);
    if (close != std::string::npos) version = versionLine.substr(open + 1, close - open - 1);
  }
  return "Stand-in Runtime Environment (build " + version + "-standin)";
}

std::vector<std::wstring> commandLineArguments() {
  std::vector<std::wstring> arguments;
  int count = 0;
  LPWSTR* vector = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!vector) return arguments;
  for (int i = 1; i < count; ++i) arguments.emplace_back(vector[i]);
  LocalFree(vector);
  return arguments;
}

}  // namespace

int main() {
  std::wstring directory = standin::parentDirectory(standin::modulePath(nullptr));
  standin::appendToFile(directory + L"\\java-invocations.txt", standin::utf8FromWide(GetCommandLineW()) + "\n");

  JavaScript script;
  std::vector<standin::ScriptEntry> entries;
  standin::ScriptEntry bad;
  bool readable = standin::readScript(directory + L"\\java-script.txt", entries, &bad);
  for (const standin::ScriptEntry& entry : entries) {
    if (!readable) break;
    if (!applyEntry(entry, script)) {
      bad = entry;
      readable = false;
    }
  }
  if (!readable) {
    standin::writeStandardHandle(STD_ERROR_HANDLE, standin::badScriptLineMessage(bad) + "\r\n");
    return kBadScriptExitCode;
  }

  standin::writeStandardHandle(STD_ERROR_HANDLE,
                               script.versionLine + "\r\n" + secondVersionLine(script.versionLine) + "\r\n");

  std::vector<std::wstring> arguments = commandLineArguments();
  bool versionRequest = arguments.size() == 1 && arguments[0] == L"-version";
  if (!versionRequest) return 0;
  // A runtime that never answers: the launcher must give up and terminate it.
  while (script.hang) Sleep(INFINITE);
  return script.exitCode;
}
