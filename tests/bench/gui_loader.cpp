// A second floor for the start-up benchmark: a GUI program that, like the
// launchers, initialises the common controls before it loads a jvm.dll and
// enters its JNI_CreateJavaVM. The difference to bare_loader is the cost of
// the windowing libraries alone.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <jni.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  InitCommonControls();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 2) return 2;
  HMODULE jvm = LoadLibraryW(argv[1]);
  if (!jvm) return 3;
  using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);
  auto create = reinterpret_cast<CreateJavaVm>(reinterpret_cast<void*>(GetProcAddress(jvm, "JNI_CreateJavaVM")));
  if (!create) return 4;
  JavaVMInitArgs args{};
  args.version = JNI_VERSION_1_2;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  return create(&vm, reinterpret_cast<void**>(&env), &args) == JNI_OK ? 0 : 5;
}
