/* jvm.dll of the 32-bit stand-in runtime. It exists to be refused: a 64-bit
 * launcher must fail to load it (ERROR_BAD_EXE_FORMAT) and move on, so it only
 * has to be a genuine i686 library with the one export a launcher looks up. */
#include <windows.h>

__declspec(dllexport) int __stdcall JNI_CreateJavaVM(void **pvm, void **penv, void *args) {
  (void)pvm;
  (void)penv;
  (void)args;
  return -1;
}
