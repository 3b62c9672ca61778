// A second floor for the start-up benchmark: a GUI program that, like the
// launchers, initialises the common controls before it loads a jvm.dll and
// enters its JNI_CreateJavaVM. The difference to bare_loader is the cost of
// the windowing libraries alone.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "enter_jvm.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  InitCommonControls();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return 2;
  return enterJvm(argv[1]);
}
