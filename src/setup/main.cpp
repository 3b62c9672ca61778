// The setup launcher's entry.
#include <windows.h>

#include "runtime/runtime.h"
#include "windows/command_line_win.h"

using namespace launcher;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR tail, int) {
  if (!beginEntry(LauncherKind::Setup, tail)) return 0;

  ArgumentVector arguments = splitProcessCommandLine();
  initRuntime(instance, arguments);
  return 0;
}
