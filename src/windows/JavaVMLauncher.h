// The launch: system properties, JVM creation in this process, the first-run
// hook, the Java-side launcher class's main method and the JVM's destruction.
#pragma once

#include <jni.h>

#include <atomic>
#include <string>
#include <vector>

#include "runtime/arguments.h"

namespace launcher {

using CreateJavaVmFunction = jint(JNICALL*)(JavaVM**, void**, void*);

struct JvmState {
  // JNI_CreateJavaVM of the loaded jvm.dll.
  CreateJavaVmFunction createEntry = nullptr;
  JavaVM* vm = nullptr;
  // The main thread's environment; every call of the launch uses it.
  JNIEnv* env = nullptr;
  // Set once the JVM exists, after vm is written; never cleared. Other
  // threads attach only once they see it.
  std::atomic<bool> created{false};
  // The setup launcher's manual runtime choice, handed to the Java side.
  bool manualJre = false;
  // The name single instance mode chose for this process, when it chose one.
  std::string semaphoreName;
};

extern JvmState g_jvm;

void setCreateEntry(CreateJavaVmFunction entry);

// The system property options in their order and under their conditions.
std::vector<std::string> buildSystemProperties();

bool createJvm(const ArgumentVector& arguments, const std::vector<std::string>& systemProperties);
bool invokeMain(const ArgumentVector& arguments);
// Creates the JVM, calls main and, when asked, destroys the JVM, which waits
// for the application's non-daemon threads.
bool launchJvm(const ArgumentVector& arguments, bool destroyAfterMain);

// For threads other than the main thread; none before the JVM exists.
JNIEnv* attachToJvm();
void detachFromJvm();

}  // namespace launcher
