// The application launcher's entry: reads its block, applies the start-up
// options, finds and loads a JVM and runs the application in this process.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "config/included_files.h"
#include "config/settings.h"
#include "discovery/jvm_library.h"
#include "process/windows_ops.h"
#include "runtime/errors.h"
#include "runtime/paths.h"
#include "runtime/runtime.h"
#include "windows/JavaVMLauncher.h"
#include "windows/command_line_win.h"

using namespace launcher;

namespace {

constexpr int kNoJvmExitCode = 83;

// A GUI program has no standard streams of its own; once it has a console,
// streams that lead nowhere are connected to it.
void useConsoleStreams() {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE || GetFileType(error) == FILE_TYPE_UNKNOWN)
    std::freopen("CONOUT$", "w", stderr);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE || GetFileType(output) == FILE_TYPE_UNKNOWN)
    std::freopen("CONOUT$", "w", stdout);
}

bool attachConsoleAndStreams() {
  if (!attachConsole()) return false;
  useConsoleStreams();
  return true;
}

void applyConsoleOptions(const ArgumentVector& arguments) {
  const bool allOptions = getIntSetting(setting::ConsoleOptions) != 0;
  const bool consoleOption = allOptions || getIntSetting(setting::ConsoleOption) != 0;
  if (!consoleOption) return;
  for (const WideString& argument : arguments) {
    if (allOptions && argument == u"-q") {
      useConsoleErrors();
    } else if (argument == u"-console") {
      attachConsoleAndStreams();
    } else if (allOptions && argument == u"-c") {
      useConsoleErrors();
      if (!attachConsoleAndStreams()) {
        MessageBoxW(nullptr, L"Error: Could not allocate console.", L"morvane", MB_OK);
        exitQuietly(1);
      }
      return;
    }
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int) {
  if (!beginEntry(LauncherKind::Application, tail)) return 0;
  if (tail && std::strncmp(tail, "-q_mqv_internal", 15) == 0) useConsoleErrors();

  ArgumentVector arguments = splitProcessCommandLine();
  initRuntime(instance, arguments);
  applyConsoleOptions(arguments);

  if (extractIncludedFiles(true) != kExtracted) fatalMessage(message::InternalError, "16");
  addNativeLibraryPath();
  if (!LoadDLL(true, nullptr, false)) exitQuietly(kNoJvmExitCode);
  if (!launchJvm(arguments, true)) fatalMessage(message::JvmNotStarted);
  return 0;
}
