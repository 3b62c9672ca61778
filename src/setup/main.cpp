// The setup launcher's entry.
#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "process/windows_ops.h"
#include "runtime/errors.h"
#include "runtime/runtime.h"
#include "windows/command_line_win.h"

using namespace launcher;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int) {
  g_runtime.kind = LauncherKind::Setup;
  InitCommonControls();
  const char* commandTail = tail ? tail : "";
  if (*commandTail && std::strcmp(commandTail, "__mqv_reboot") == 0) {
    rebootMachine();
    return 0;
  }
  if (std::strncmp(commandTail, "__mqv_lang_restart", 18) == 0) g_runtime.languageRestart = true;

  ArgumentVector arguments = splitProcessCommandLine();
  initRuntime(instance, arguments);
  return 0;
}
