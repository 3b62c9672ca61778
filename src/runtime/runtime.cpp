#include "runtime/runtime.h"

#include <windows.h>
#include <commctrl.h>

#include "config/block_reader.h"
#include "process/windows_ops.h"
#include "runtime/handles.h"
#include "runtime/log.h"
#include "runtime/log_state.h"
#include "runtime/paths.h"
#include "runtime/text.h"

namespace launcher {

RuntimeState g_runtime;

bool isLogFileRequest(WideStringView argument) {
  return argument == u"-create-mqv-log" || argument == u"-create-vxk-log" || argument == u"/create-mqv-log" ||
         argument == u"/create-vxk-log";
}

namespace {

void setWorkingDirectory() {
  const std::string configured = getSetting(setting::WorkingDirectory);
  if (configured.empty()) {
    logMessage("working directory unchanged");
    return;
  }
  const std::string directory = makeAbsolute(configured, true);
  SetCurrentDirectoryA(directory.c_str());
  logMessage("change working directory to %s", directory.c_str());
}

void offerLogInExplorer() {
  const std::string logPath = getLogPath().value_or("");
  const std::string text =
      "The following log file will be created:\n\n" + logPath + "\n\nDo you want to open an Explorer window?";
  const WideString body = wideFromNarrow(text, CP_ACP);
  const WideString title = wideFromNarrow(g_runtime.productWord, CP_ACP);
  if (MessageBoxW(nullptr, wptr(body), wptr(title), MB_YESNO) != IDYES) return;

  char shortPath[MAX_PATH];
  const DWORD shortLength = GetShortPathNameA(logPath.c_str(), shortPath, MAX_PATH);
  if (shortLength == 0 || shortLength >= MAX_PATH) shortPath[0] = '\0';
  char windows[MAX_PATH];
  const UINT windowsLength = GetWindowsDirectoryA(windows, MAX_PATH);
  if (windowsLength == 0 || windowsLength >= MAX_PATH) windows[0] = '\0';
  std::string commandLine = std::string(windows) + "\\explorer.exe /select," + shortPath;
  logMessage("calling %s", commandLine.c_str());

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startup, &process)) {
    const DWORD lastError = GetLastError();
    logMessage("could not open explorer window %d", static_cast<int>(lastError));
    return;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
}

}  // namespace

bool beginEntry(LauncherKind kind, const char* commandTail) {
  g_runtime.kind = kind;
  InitCommonControls();
  const std::string_view tail = commandTail ? commandTail : "";
  if (tail == "__mqv_reboot") {
    rebootMachine();
    return false;
  }
  if (tail.substr(0, 18) == "__mqv_lang_restart") g_runtime.languageRestart = true;
  return true;
}

void initRuntime(void* module, ArgumentVector& arguments) {
  if (arguments.size() >= 2 && isLogFileRequest(arguments[1])) {
    arguments.erase(arguments.begin() + 1);
    std::lock_guard<std::mutex> lock(g_log.mutex);
    g_log.createRequested = true;
  }

  readAppendedBlock();
  g_runtime.module = module;

  const std::string letter = getSetting(setting::ProductLetter, 2);
  g_runtime.productLetter = letter.empty() ? '\0' : letter[0];
  g_runtime.productWord = g_runtime.productLetter == 'e' ? "velkor" : "morvane";

  if (!g_runtime.languageRestart) setWorkingDirectory();

  if (g_log.createRequested) offerLogInExplorer();
}

}  // namespace launcher
