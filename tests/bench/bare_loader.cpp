// The floor of the start-up benchmark: a program that does nothing but load
// a jvm.dll and enter its JNI_CreateJavaVM.
#include <windows.h>

#include <jni.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bare_loader <jvm.dll>\n");
    return 2;
  }
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
