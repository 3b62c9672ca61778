// What both floors of the start-up benchmark do: load a jvm.dll and enter its
// JNI_CreateJavaVM. The stand-in measures there and ends the process.
#pragma once

#include <windows.h>

#include <jni.h>

inline int enterJvm(const wchar_t* jvmDll) {
  HMODULE jvm = LoadLibraryW(jvmDll);
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
