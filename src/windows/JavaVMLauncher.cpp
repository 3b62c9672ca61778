#include "windows/JavaVMLauncher.h"

#include <windows.h>

#include <cstdio>

#include "config/block_format.h"
#include "config/settings.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/path_rules.h"
#include "runtime/paths.h"
#include "runtime/runtime.h"
#include "runtime/text.h"
#include "windows/java_arguments.h"
#include "windows/vm_options.h"

namespace launcher {

JvmState g_jvm;

void setCreateEntry(CreateJavaVmFunction entry) { g_jvm.createEntry = entry; }

namespace {

constexpr std::size_t kOptionBuffer = 8192;
constexpr std::size_t kLibraryPathLimit = 8171;

std::string property(const char* name, const std::string& value) {
  return cutToBuffer(std::string("-D") + name + "=" + value, kOptionBuffer);
}

const char* launcherClass() {
  return g_runtime.productLetter == 'i' ? "com/morvane/runtime/launcher/WinLauncher" : "com/velkor/runtime/WinLauncher";
}

bool exceptionPending(JNIEnv* env) { return env->ExceptionOccurred() != nullptr; }

}  // namespace

std::vector<std::string> buildSystemProperties() {
  std::vector<std::string> options;
  if (!g_jvm.semaphoreName.empty()) options.push_back(property("velkor.semaphoreName", g_jvm.semaphoreName));
  if (g_jvm.manualJre) options.push_back(property("velkor.manualJre", "true"));
  if (g_runtime.productLetter == 'i') options.push_back(property("velkor.isMorvane", "true"));
  options.push_back(property("velkor.moduleName", getExePath()));
  options.push_back(property("sun.java.command", getExePath()));
  if (getIntSetting(setting::SingleInstance) != 0)
    options.push_back(property("velkor.processCommFile", getProcessCommFileName(GetCurrentProcessId())));
  options.push_back(property("velkor.tempDir", g_paths.launcherTempDirectory));
  options.push_back(property("velkor.unextractedPosition",
                             std::to_string(g_runtime.languageRestart ? -1 : static_cast<long long>(g_payload.unextracted))));

  // At most its first 8171 characters fit the option.
  const std::string path = readEnvironment("PATH").substr(0, kLibraryPathLimit);
  options.push_back(cutToBuffer("-Djava.library.path=" + path, kOptionBuffer));

  SetLastError(ERROR_SUCCESS);
  const DWORD manPath = GetEnvironmentVariableA("MANPATH", nullptr, 0);
  const bool manPathDefined = manPath != 0 || GetLastError() != ERROR_ENVVAR_NOT_FOUND;
  if (!manPathDefined) options.push_back(property("velkor.consoleCodepage", "cp" + std::to_string(GetConsoleOutputCP())));
  return options;
}

bool createJvm(const ArgumentVector& arguments, const std::vector<std::string>& systemProperties) {
  std::vector<std::string> options = buildVmOptions(systemProperties, arguments);
  std::vector<JavaVMOption> vmOptions(options.size());
  for (std::size_t i = 0; i < options.size(); ++i) {
    vmOptions[i].optionString = options[i].data();
    vmOptions[i].extraInfo = nullptr;
  }
  JavaVMInitArgs initArgs{};
  initArgs.version = JNI_VERSION_1_2;
  initArgs.nOptions = static_cast<jint>(vmOptions.size());
  initArgs.options = vmOptions.data();
  initArgs.ignoreUnrecognized = JNI_TRUE;
  logMessage("Creating JVM");
  if (!g_jvm.createEntry) return false;
  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;
  if (g_jvm.createEntry(&vm, reinterpret_cast<void**>(&env), &initArgs) != 0) return false;
  g_jvm.vm = vm;
  g_jvm.env = env;
  return true;
}

bool invokeMain(const ArgumentVector& arguments) {
  JNIEnv* env = g_jvm.env;
  if (g_runtime.productLetter == 'i') {
    const std::string marker = makeAbsolute(getSetting(setting::InstallationDirectory), true) + "\\.morvane\\firstrun";
    if (pathExists(marker)) {
      jclass firstRunClass = env->FindClass("com/morvane/runtime/launcher/FirstRun");
      if (!firstRunClass) fatalMessage(message::InternalError, "14");
      jmethodID firstRun = env->GetStaticMethodID(firstRunClass, "firstRun", "()Z");
      if (!firstRun) fatalMessage(message::InternalError, "15");
      bool answer = env->CallStaticBooleanMethod(firstRunClass, firstRun) != JNI_FALSE;
      if (exceptionPending(env)) {
        env->ExceptionDescribe();
        answer = false;
      }
      if (!answer) {
        logMessage("checkFirstRun stopped further execution");
        return true;
      }
    }
  }

  std::string className = launcherClass();
  for (char& c : className)
    if (c == '.') c = '/';
  logMessage("main class: %s", className.c_str());
  jclass mainClass = env->FindClass(className.c_str());
  if (!mainClass) {
    logError("could not find main class");
    fatalMessage(message::MainClassNotLoaded);
  }
  jmethodID mainMethod = env->GetStaticMethodID(mainClass, "main", "([Ljava/lang/String;)V");
  if (!mainMethod) {
    logError("could not find main method");
    fatalMessage(message::MainMethodNotFound);
  }

  const std::vector<WideString> javaArguments = composeJavaArguments(arguments);
  logMessage("param count: %d", static_cast<int>(javaArguments.size()));
  jclass stringClass = env->FindClass("java/lang/String");
  jobjectArray array =
      stringClass ? env->NewObjectArray(static_cast<jsize>(javaArguments.size()), stringClass, nullptr) : nullptr;
  if (!array) {
    logError("could not create the argument array");
    fatalError("The Java argument array could not be created.");
  }
  for (std::size_t i = 0; i < javaArguments.size(); ++i) {
    const std::string shown = cutToBuffer(narrowFromWide(javaArguments[i], fileCodePage()), kOptionBuffer);
    logMessage("param %d: %s", static_cast<int>(i), shown.c_str());
    jstring argument = env->NewString(reinterpret_cast<const jchar*>(javaArguments[i].data()),
                                      static_cast<jsize>(javaArguments[i].size()));
    if (!argument) {
      logError("could not create argument %d", static_cast<int>(i));
      fatalError("A Java argument string could not be created.");
    }
    env->SetObjectArrayElement(array, static_cast<jsize>(i), argument);
  }

  logMessage("calling main");
  env->CallStaticVoidMethod(mainClass, mainMethod, array);
  logMessage("main returned");
  if (exceptionPending(env)) {
    logError("an exception occured");
    env->ExceptionDescribe();
    return false;
  }
  return true;
}

bool launchJvm(const ArgumentVector& arguments, bool destroyAfterMain) {
  logMessage("launching program");
  const std::vector<std::string> properties = buildSystemProperties();
  if (!createJvm(arguments, properties)) {
    logError("could not initialize JVM");
    return false;
  }
  logMessage("JVM created");
  g_jvm.created.store(true, std::memory_order_release);
  if (!invokeMain(arguments)) {
    logError("could not call main");
    return false;
  }
  if (destroyAfterMain) {
    logMessage("dest JVM");
    g_jvm.vm->DestroyJavaVM();
  }
  logMessage("launch done");
  return true;
}

JNIEnv* attachToJvm() {
  if (!g_jvm.created.load(std::memory_order_acquire)) return nullptr;
  JNIEnv* env = nullptr;
  if (g_jvm.vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr) != 0) return nullptr;
  return env;
}

void detachFromJvm() {
  if (g_jvm.created.load(std::memory_order_acquire)) g_jvm.vm->DetachCurrentThread();
}

}  // namespace launcher
