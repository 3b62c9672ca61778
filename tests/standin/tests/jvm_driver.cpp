// A minimal launcher for the stand-in jvm.dll, for the behaviours that end
// the process: the tests start it as a child and look at its exit code,
// output and trace.
//
//   standin_jvm_driver <runtime home> launch [argument...]
//   standin_jvm_driver <runtime home> env-slot <index>
//   standin_jvm_driver <runtime home> vm-slot <index>
//   standin_jvm_driver <runtime home> foreign-env
//
// Its own failures end it with exit codes 2 to 5, which no scenario expects.
#include <jni.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);
using TableSlot = void(JNICALL*)(void*);

int fail(int code, const char* what) {
  std::fprintf(stderr, "driver: %s (error %lu)\n", what, GetLastError());
  return code;
}

TableSlot slotOf(const void* table, std::size_t index) {
  TableSlot slot = nullptr;
  std::memcpy(&slot, static_cast<const char*>(table) + index * sizeof(TableSlot), sizeof slot);
  return slot;
}

int launch(JavaVM* vm, JNIEnv* env, const std::vector<std::wstring>& arguments) {
  jclass launcher = env->FindClass("com/velkor/runtime/WinLauncher");
  jmethodID main = launcher ? env->GetStaticMethodID(launcher, "main", "([Ljava/lang/String;)V") : nullptr;
  jclass stringClass = env->FindClass("java/lang/String");
  if (!main || !stringClass) return fail(5, "no launcher class or main method");
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(arguments.size()), stringClass, nullptr);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    jstring text = env->NewString(reinterpret_cast<const jchar*>(arguments[i].data()),
                                  static_cast<jsize>(arguments[i].size()));
    env->SetObjectArrayElement(array, static_cast<jsize>(i), text);
  }
  env->CallStaticVoidMethod(launcher, main, array);
  if (env->ExceptionOccurred()) {
    env->ExceptionDescribe();
    return 1;
  }
  vm->DestroyJavaVM();
  return 0;
}

DWORD WINAPI useForeignEnv(void* env) {
  static_cast<JNIEnv*>(env)->FindClass("java/lang/String");
  return 0;
}

}  // namespace

int main() {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv || count < 3) return fail(2, "usage: standin_jvm_driver <home> <scenario> [...]");
  std::wstring home = argv[1];
  std::wstring scenario = argv[2];
  std::vector<std::wstring> rest(argv + 3, argv + count);

  HMODULE library = LoadLibraryW((home + L"\\bin\\server\\jvm.dll").c_str());
  if (!library) return fail(3, "cannot load jvm.dll");
  auto create = reinterpret_cast<CreateJavaVm>(reinterpret_cast<void*>(GetProcAddress(library, "JNI_CreateJavaVM")));
  if (!create) return fail(3, "no JNI_CreateJavaVM");
  JavaVMOption option{const_cast<char*>("-Dstandin.driver=1"), nullptr};
  JavaVMInitArgs args{JNI_VERSION_1_2, 1, &option, JNI_TRUE};
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (create(&vm, reinterpret_cast<void**>(&env), &args) != JNI_OK) return fail(4, "JNI_CreateJavaVM failed");

  if (scenario == L"launch") return launch(vm, env, rest);
  if (scenario == L"env-slot" && rest.size() == 1) {
    slotOf(env->functions, std::stoul(rest[0]))(env);
    return fail(5, "the slot returned");
  }
  if (scenario == L"vm-slot" && rest.size() == 1) {
    slotOf(vm->functions, std::stoul(rest[0]))(vm);
    return fail(5, "the slot returned");
  }
  if (scenario == L"foreign-env") {
    HANDLE thread = CreateThread(nullptr, 0, useForeignEnv, env, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    return fail(5, "the foreign JNIEnv was accepted");
  }
  return fail(2, "unknown scenario");
}
