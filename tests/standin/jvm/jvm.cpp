// jvm.dll of the stand-in runtime: a scriptable JVM behind real JNI function
// tables. It does just enough of what a launcher calls to let tests script
// every outcome (a failed creation, missing classes and methods, a first-run
// hook's answer, a main method that returns, throws or exits, threads that
// outlive main, a splash controller's answers), and it writes every call a
// launcher makes to a trace file that tests compare line by line.
//
// A launcher that calls anything else, or calls these in a way a real JVM
// would not survive (an environment used on a foreign thread, an object that
// is not what the call needs), ends the process with exit code 99 after
// tracing why, so that the test notices at once.
//
// Only Win32 threads and synchronisation are used, so that the same source
// builds for 32-bit runtimes as well.
#define _JNI_IMPLEMENTATION_
#include <jni.h>
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "jvm/jvm_script.h"
#include "support/standin_support.h"

namespace standin {
namespace {

constexpr UINT kFailureExitCode = 99;

class CriticalSection {
 public:
  CriticalSection() { InitializeCriticalSection(&section_); }
  ~CriticalSection() { DeleteCriticalSection(&section_); }
  CriticalSection(const CriticalSection&) = delete;
  CriticalSection& operator=(const CriticalSection&) = delete;
  void lock() { EnterCriticalSection(&section_); }
  void unlock() { LeaveCriticalSection(&section_); }

 private:
  CRITICAL_SECTION section_;
};

class Guard {
 public:
  explicit Guard(CriticalSection& section) : section_(section) { section_.lock(); }
  ~Guard() { section_.unlock(); }
  Guard(const Guard&) = delete;
  Guard& operator=(const Guard&) = delete;

 private:
  CriticalSection& section_;
};

// ---------------------------------------------------------------------------
// Trace

CriticalSection g_traceLock;
std::wstring g_tracePath;  // guarded by g_traceLock

void trace(const std::string& line) {
  Guard guard(g_traceLock);
  appendToFile(g_tracePath, line + "\n");
}

[[noreturn]] void failProcess(const std::string& line) {
  trace(line);
  writeStandardHandle(STD_ERROR_HANDLE, line + "\r\n");
  ExitProcess(kFailureExitCode);
}

[[noreturn]] void misuse(const char* function, const std::string& what) {
  failProcess(std::string("JNI misuse in ") + function + ": " + what);
}

// ---------------------------------------------------------------------------
// Objects: every jobject, jclass, jstring, jobjectArray and jthrowable handed
// out is a pointer to one of these records, and is checked against the live
// set before it is used.

enum class Kind { Class, String, Array, Throwable };

const char* kindName(Kind kind) {
  switch (kind) {
    case Kind::Class:
      return "class";
    case Kind::String:
      return "string";
    case Kind::Array:
      return "object array";
    case Kind::Throwable:
      return "throwable";
  }
  return "object";
}

struct Object {
  explicit Object(Kind objectKind) : kind(objectKind) {}
  virtual ~Object() = default;
  Kind kind;
};

struct ClassObject : Object {
  explicit ClassObject(std::string className) : Object(Kind::Class), name(std::move(className)) {}
  std::string name;  // internal form, e.g. java/lang/String
};

struct StringObject : Object {
  explicit StringObject(std::u16string value) : Object(Kind::String), text(std::move(value)) {}
  std::u16string text;
};

struct ArrayObject : Object {
  ArrayObject(ClassObject* type, std::size_t length, Object* initial)
      : Object(Kind::Array), elementClass(type), elements(length, initial) {}
  ClassObject* elementClass;
  std::vector<Object*> elements;
};

struct ThrowableObject : Object {
  ThrowableObject(std::string javaClassName, std::string text)
      : Object(Kind::Throwable), className(std::move(javaClassName)), message(std::move(text)) {}
  std::string className;  // binary name with dots, as Java prints it
  std::string message;
};

struct Method {
  ClassObject* owner;
  std::string name;
  std::string signature;
};

struct AttachedThread;

// A JNIEnv is a pointer to a pointer to the function table; the record around
// it leads back to the thread that owns it.
struct EnvBlock {
  JNIEnv env;
  AttachedThread* owner;
};

struct AttachedThread {
  EnvBlock block{};
  DWORD threadId = 0;
  std::string name;
  ThrowableObject* pending = nullptr;
};

// Characters lent out by GetStringChars until ReleaseStringChars.
struct LentChars {
  StringObject* string;
  std::unique_ptr<jchar[]> chars;
};

enum class Phase { NotCreated, Running, Destroyed };

struct VmState {
  Phase phase = Phase::NotCreated;
  JvmScript script;
  std::vector<std::unique_ptr<AttachedThread>> threads;
  int nextThreadNumber = 0;
  // Threads that main started and that have not been waited for yet.
  std::vector<HANDLE> scriptThreads;
  std::map<const Object*, std::unique_ptr<Object>> objects;
  std::map<std::string, ClassObject*> classes;
  std::map<std::tuple<const ClassObject*, std::string, std::string>, std::unique_ptr<Method>> methodsByKey;
  std::set<const Method*> methods;
  std::map<const jchar*, LentChars> lentChars;
  std::size_t nextSplashAction = 0;
  std::size_t nextSplashText = 0;
};

CriticalSection g_stateLock;
VmState g_state;  // guarded by g_stateLock
// Signalled whenever a thread detaches, so that DestroyJavaVM looks again
// whether it may return.
HANDLE g_threadsChanged = nullptr;

JNINativeInterface_ g_envTable;
JNIInvokeInterface_ g_invokeTable;
JavaVM g_javaVm;

template <typename T>
T* adopt(std::unique_ptr<T> object) {
  T* raw = object.get();
  g_state.objects.emplace(raw, std::move(object));
  return raw;
}

// --- checks shared by every entry (callers hold g_stateLock)

AttachedThread& threadOf(JNIEnv* env, const char* function) {
  for (const std::unique_ptr<AttachedThread>& thread : g_state.threads) {
    if (&thread->block.env != env) continue;
    if (thread->threadId != GetCurrentThreadId()) {
      misuse(function, "the JNIEnv of thread \"" + thread->name + "\" used on another thread");
    }
    return *thread;
  }
  misuse(function, "a JNIEnv that belongs to no attached thread");
}

AttachedThread* currentThread() {
  for (const std::unique_ptr<AttachedThread>& thread : g_state.threads) {
    if (thread->threadId == GetCurrentThreadId()) return thread.get();
  }
  return nullptr;
}

Object* objectOrNull(jobject reference, const char* function, const char* what) {
  if (!reference) return nullptr;
  auto found = g_state.objects.find(reinterpret_cast<const Object*>(reference));
  if (found == g_state.objects.end()) misuse(function, std::string(what) + " is not a live reference");
  return found->second.get();
}

template <typename T>
T& objectOf(jobject reference, Kind kind, const char* function, const char* what) {
  if (!reference) misuse(function, std::string(what) + " is null");
  Object* object = objectOrNull(reference, function, what);
  if (object->kind != kind) {
    misuse(function, std::string(what) + " is a " + kindName(object->kind) + ", not a " + kindName(kind));
  }
  return static_cast<T&>(*object);
}

const Method& methodOf(jmethodID id, const char* function) {
  const Method* method = reinterpret_cast<const Method*>(id);
  if (!id || !g_state.methods.count(method)) misuse(function, "the method id is not one GetStaticMethodID returned");
  return *method;
}

void checkVm(JavaVM* vm, const char* function) {
  if (vm != &g_javaVm) misuse(function, "not the JavaVM that JNI_CreateJavaVM returned");
}

bool contains(const std::vector<std::string>& list, const std::string& value) {
  for (const std::string& item : list) {
    if (item == value) return true;
  }
  return false;
}

ClassObject* classNamed(const std::string& name) {
  auto found = g_state.classes.find(name);
  if (found != g_state.classes.end()) return found->second;
  ClassObject* created = adopt(std::make_unique<ClassObject>(name));
  g_state.classes.emplace(name, created);
  return created;
}

void throwNew(AttachedThread& thread, const char* className, std::string message) {
  thread.pending = adopt(std::make_unique<ThrowableObject>(className, std::move(message)));
}

// One field type of a method descriptor at text[i]; advances i past it.
bool skipFieldType(const std::string& text, std::size_t& i) {
  while (i < text.size() && text[i] == '[') ++i;
  if (i >= text.size()) return false;
  char type = text[i];
  if (type == 'L') {
    std::size_t end = text.find(';', i);
    if (end == std::string::npos || end == i + 1) return false;
    i = end + 1;
    return true;
  }
  if (std::strchr("BCDFIJSZ", type) && type != '\0') {
    ++i;
    return true;
  }
  return false;
}

bool isMethodDescriptor(const std::string& text) {
  if (text.empty() || text[0] != '(') return false;
  std::size_t i = 1;
  while (i < text.size() && text[i] != ')') {
    if (!skipFieldType(text, i)) return false;
  }
  if (i >= text.size()) return false;
  ++i;
  if (i < text.size() && text[i] == 'V') return i + 1 == text.size();
  return skipFieldType(text, i) && i == text.size();
}

bool isKnownVersion(jint version, bool allowVersion11) {
  switch (version) {
    case JNI_VERSION_1_1:
      return allowVersion11;
    case JNI_VERSION_1_2:
    case JNI_VERSION_1_4:
    case JNI_VERSION_1_6:
    case JNI_VERSION_1_8:
    case JNI_VERSION_9:
    case JNI_VERSION_10:
    case 0x00130000:  // 19
    case 0x00140000:  // 20
    case 0x00150000:  // 21
      return true;
    default:
      return false;
  }
}

AttachedThread& attachCurrent(std::string name) {
  auto thread = std::make_unique<AttachedThread>();
  thread->block.env.functions = &g_envTable;
  thread->block.owner = thread.get();
  thread->threadId = GetCurrentThreadId();
  thread->name = std::move(name);
  g_state.threads.push_back(std::move(thread));
  return *g_state.threads.back();
}

// ---------------------------------------------------------------------------
// Environment functions

jclass JNICALL findClass(JNIEnv* env, const char* name) noexcept {
  Guard guard(g_stateLock);
  AttachedThread& self = threadOf(env, "FindClass");
  if (!name) misuse("FindClass", "the class name is null");
  std::string className = name;
  // A dotted name is not an internal name, and a real JVM does not find it.
  bool missing = className.empty() || className.find('.') != std::string::npos ||
                 contains(g_state.script.missingClasses, className);
  trace("FindClass " + className + (missing ? " -> missing" : " -> found"));
  if (missing) {
    throwNew(self, "java.lang.NoClassDefFoundError", className);
    return nullptr;
  }
  return reinterpret_cast<jclass>(classNamed(className));
}

jmethodID JNICALL getStaticMethodId(JNIEnv* env, jclass clazz, const char* name, const char* signature) noexcept {
  Guard guard(g_stateLock);
  AttachedThread& self = threadOf(env, "GetStaticMethodID");
  ClassObject& owner = objectOf<ClassObject>(clazz, Kind::Class, "GetStaticMethodID", "the class");
  if (!name || !signature) misuse("GetStaticMethodID", "the method name or signature is null");
  std::string methodName = name;
  std::string descriptor = signature;
  bool missing = methodName.empty() || !isMethodDescriptor(descriptor) ||
                 contains(g_state.script.missingMethods, owner.name + "." + methodName);
  trace("GetStaticMethodID " + owner.name + " " + methodName + " " + descriptor + (missing ? " -> missing" : " -> found"));
  if (missing) {
    throwNew(self, "java.lang.NoSuchMethodError", methodName);
    return nullptr;
  }
  auto key = std::make_tuple(static_cast<const ClassObject*>(&owner), methodName, descriptor);
  std::unique_ptr<Method>& method = g_state.methodsByKey[key];
  if (!method) {
    method = std::make_unique<Method>(Method{&owner, methodName, descriptor});
    g_state.methods.insert(method.get());
  }
  return reinterpret_cast<jmethodID>(method.get());
}

DWORD WINAPI scriptThreadMain(void* parameter) {
  Sleep(static_cast<DWORD>(reinterpret_cast<UINT_PTR>(parameter)));
  trace("thread ended");
  return 0;
}

void runMain(AttachedThread& self, jobject argumentArray) {
  ArrayObject& array = objectOf<ArrayObject>(argumentArray, Kind::Array, "CallStaticVoidMethodV", "the argument of main");
  if (array.elementClass->name != "java/lang/String") {
    misuse("CallStaticVoidMethodV", "main takes a java/lang/String array, not one of " + array.elementClass->name);
  }
  std::string output = "main received " + std::to_string(array.elements.size()) + " arguments\r\n";
  trace("main args=" + std::to_string(array.elements.size()));
  for (std::size_t i = 0; i < array.elements.size(); ++i) {
    const Object* element = array.elements[i];
    if (!element) {
      trace("main arg " + std::to_string(i) + " is null");
      output += "  [" + std::to_string(i) + "] null\r\n";
      continue;
    }
    if (element->kind != Kind::String) {
      misuse("CallStaticVoidMethodV", "argument " + std::to_string(i) + " of main is a " + kindName(element->kind));
    }
    std::string text = utf8FromUtf16(static_cast<const StringObject*>(element)->text);
    trace("main arg " + std::to_string(i) + "=" + text);
    output += "  [" + std::to_string(i) + "] " + text + "\r\n";
  }
  const JvmScript& script = g_state.script;
  if (script.mainStdout) writeStandardHandle(STD_OUTPUT_HANDLE, output);
  if (script.threadAfterMainMs) {
    HANDLE thread = CreateThread(nullptr, 0, scriptThreadMain,
                                 reinterpret_cast<void*>(static_cast<UINT_PTR>(*script.threadAfterMainMs)), 0, nullptr);
    if (!thread) failProcess("cannot start the thread after main (error " + std::to_string(GetLastError()) + ")");
    g_state.scriptThreads.push_back(thread);
    trace("thread started");
  }
  switch (script.mainOutcome) {
    case MainOutcome::Return:
      trace("main -> return");
      return;
    case MainOutcome::Throw:
      throwNew(self, "java.lang.IllegalStateException", "stand-in main failed");
      trace("main -> throw");
      return;
    case MainOutcome::Exit:
      trace("main -> exit " + std::to_string(script.mainExitCode));
      ExitProcess(static_cast<UINT>(script.mainExitCode));
  }
}

jboolean runFirstRun(AttachedThread& self) {
  switch (g_state.script.firstRun) {
    case FirstRunAnswer::True:
      trace("firstRun -> true");
      return JNI_TRUE;
    case FirstRunAnswer::False:
      trace("firstRun -> false");
      return JNI_FALSE;
    case FirstRunAnswer::Throw:
      throwNew(self, "java.lang.IllegalStateException", "stand-in firstRun failed");
      trace("firstRun -> throw");
      return JNI_FALSE;
  }
  return JNI_FALSE;
}

jint nextSplashAction() {
  const std::vector<int>& actions = g_state.script.splashActions;
  if (actions.empty()) return 0;
  std::size_t index = g_state.nextSplashAction < actions.size() ? g_state.nextSplashAction++ : actions.size() - 1;
  return actions[index];
}

jobject nextSplashText() {
  const std::vector<std::u16string>& texts = g_state.script.splashTexts;
  if (g_state.nextSplashText >= texts.size()) return nullptr;
  return reinterpret_cast<jobject>(adopt(std::make_unique<StringObject>(texts[g_state.nextSplashText++])));
}

// The part every CallStatic<Type>MethodV shares: the checks, the trace line,
// and the scripted behaviour chosen by the method's name and descriptor.
jvalue callStatic(JNIEnv* env, jclass clazz, jmethodID methodId, va_list arguments, const char* function,
                  const char* returnTypes) {
  AttachedThread& self = threadOf(env, function);
  ClassObject& owner = objectOf<ClassObject>(clazz, Kind::Class, function, "the class");
  const Method& method = methodOf(methodId, function);
  if (method.owner != &owner) {
    misuse(function, "the method " + method.name + " belongs to " + method.owner->name + ", not to " + owner.name);
  }
  char returnType = method.signature[method.signature.find(')') + 1];
  if (!std::strchr(returnTypes, returnType)) {
    misuse(function, "the method " + method.name + method.signature + " does not return what this call expects");
  }
  trace("call " + owner.name + "." + method.name);
  jvalue result{};
  if (method.name == "main" && method.signature == "([Ljava/lang/String;)V") {
    runMain(self, va_arg(arguments, jobject));
  } else if (method.name == "firstRun" && method.signature == "()Z") {
    result.z = runFirstRun(self);
  } else if (method.name == "getAction" && method.signature == "()I") {
    result.i = nextSplashAction();
  } else if (method.name == "getText" && method.signature == "()Ljava/lang/String;") {
    result.l = nextSplashText();
  }
  return result;
}

jboolean JNICALL callStaticBooleanMethodV(JNIEnv* env, jclass clazz, jmethodID method, va_list arguments) noexcept {
  Guard guard(g_stateLock);
  return callStatic(env, clazz, method, arguments, "CallStaticBooleanMethodV", "Z").z;
}

void JNICALL callStaticVoidMethodV(JNIEnv* env, jclass clazz, jmethodID method, va_list arguments) noexcept {
  Guard guard(g_stateLock);
  callStatic(env, clazz, method, arguments, "CallStaticVoidMethodV", "V");
}

jint JNICALL callStaticIntMethodV(JNIEnv* env, jclass clazz, jmethodID method, va_list arguments) noexcept {
  Guard guard(g_stateLock);
  return callStatic(env, clazz, method, arguments, "CallStaticIntMethodV", "I").i;
}

jobject JNICALL callStaticObjectMethodV(JNIEnv* env, jclass clazz, jmethodID method, va_list arguments) noexcept {
  Guard guard(g_stateLock);
  return callStatic(env, clazz, method, arguments, "CallStaticObjectMethodV", "L[").l;
}

jobjectArray JNICALL newObjectArray(JNIEnv* env, jsize length, jclass elementClass, jobject initial) noexcept {
  Guard guard(g_stateLock);
  AttachedThread& self = threadOf(env, "NewObjectArray");
  ClassObject& type = objectOf<ClassObject>(elementClass, Kind::Class, "NewObjectArray", "the element class");
  Object* initialElement = objectOrNull(initial, "NewObjectArray", "the initial element");
  trace("NewObjectArray " + std::to_string(length) + " " + type.name);
  if (length < 0) {
    throwNew(self, "java.lang.NegativeArraySizeException", std::to_string(length));
    return nullptr;
  }
  auto array = std::make_unique<ArrayObject>(&type, static_cast<std::size_t>(length), initialElement);
  return reinterpret_cast<jobjectArray>(adopt(std::move(array)));
}

jstring JNICALL newString(JNIEnv* env, const jchar* characters, jsize length) noexcept {
  Guard guard(g_stateLock);
  threadOf(env, "NewString");
  if (length < 0 || (!characters && length > 0)) misuse("NewString", "no characters for length " + std::to_string(length));
  std::u16string text(reinterpret_cast<const char16_t*>(characters), static_cast<std::size_t>(length));
  return reinterpret_cast<jstring>(adopt(std::make_unique<StringObject>(std::move(text))));
}

void JNICALL setObjectArrayElement(JNIEnv* env, jobjectArray arrayReference, jsize index, jobject value) noexcept {
  Guard guard(g_stateLock);
  AttachedThread& self = threadOf(env, "SetObjectArrayElement");
  ArrayObject& array = objectOf<ArrayObject>(arrayReference, Kind::Array, "SetObjectArrayElement", "the array");
  Object* element = objectOrNull(value, "SetObjectArrayElement", "the value");
  if (index < 0 || static_cast<std::size_t>(index) >= array.elements.size()) {
    throwNew(self, "java.lang.ArrayIndexOutOfBoundsException",
             "Index " + std::to_string(index) + " out of bounds for length " + std::to_string(array.elements.size()));
    return;
  }
  if (element && array.elementClass->name == "java/lang/String" && element->kind != Kind::String) {
    throwNew(self, "java.lang.ArrayStoreException", kindName(element->kind));
    return;
  }
  array.elements[static_cast<std::size_t>(index)] = element;
}

jsize JNICALL getStringLength(JNIEnv* env, jstring string) noexcept {
  Guard guard(g_stateLock);
  threadOf(env, "GetStringLength");
  return static_cast<jsize>(objectOf<StringObject>(string, Kind::String, "GetStringLength", "the string").text.size());
}

const jchar* JNICALL getStringChars(JNIEnv* env, jstring string, jboolean* isCopy) noexcept {
  Guard guard(g_stateLock);
  threadOf(env, "GetStringChars");
  StringObject& object = objectOf<StringObject>(string, Kind::String, "GetStringChars", "the string");
  // Unterminated on purpose: JNI does not promise a terminating zero, and a
  // launcher that relies on one reads past what it was given.
  auto chars = std::make_unique<jchar[]>(object.text.size() + 1);
  std::memcpy(chars.get(), object.text.data(), object.text.size() * sizeof(jchar));
  chars[object.text.size()] = 0xFFFF;
  const jchar* lent = chars.get();
  g_state.lentChars.emplace(lent, LentChars{&object, std::move(chars)});
  if (isCopy) *isCopy = JNI_TRUE;
  return lent;
}

void JNICALL releaseStringChars(JNIEnv* env, jstring string, const jchar* chars) noexcept {
  Guard guard(g_stateLock);
  threadOf(env, "ReleaseStringChars");
  StringObject& object = objectOf<StringObject>(string, Kind::String, "ReleaseStringChars", "the string");
  auto found = g_state.lentChars.find(chars);
  if (found == g_state.lentChars.end()) misuse("ReleaseStringChars", "characters that GetStringChars did not lend");
  if (found->second.string != &object) misuse("ReleaseStringChars", "characters lent for another string");
  g_state.lentChars.erase(found);
}

jthrowable JNICALL exceptionOccurred(JNIEnv* env) noexcept {
  Guard guard(g_stateLock);
  AttachedThread& self = threadOf(env, "ExceptionOccurred");
  trace(self.pending ? "ExceptionOccurred -> yes" : "ExceptionOccurred -> no");
  return reinterpret_cast<jthrowable>(self.pending);
}

void JNICALL exceptionDescribe(JNIEnv* env) noexcept {
  Guard guard(g_stateLock);
  AttachedThread& self = threadOf(env, "ExceptionDescribe");
  trace("ExceptionDescribe");
  if (!self.pending) return;
  std::string text = "Exception in thread \"" + self.name + "\" " + self.pending->className;
  if (!self.pending->message.empty()) text += ": " + self.pending->message;
  writeStandardHandle(STD_ERROR_HANDLE, text + "\r\n");
  self.pending = nullptr;
}

void JNICALL exceptionClear(JNIEnv* env) noexcept {
  Guard guard(g_stateLock);
  threadOf(env, "ExceptionClear").pending = nullptr;
}

void JNICALL deleteLocalRef(JNIEnv* env, jobject reference) noexcept {
  Guard guard(g_stateLock);
  threadOf(env, "DeleteLocalRef");
  objectOrNull(reference, "DeleteLocalRef", "the reference");
}

// ---------------------------------------------------------------------------
// Invocation functions

jint JNICALL destroyJavaVm(JavaVM* vm) noexcept {
  checkVm(vm, "DestroyJavaVM");
  trace("DestroyJavaVM enter");
  for (;;) {
    std::vector<HANDLE> scriptThreads;
    {
      Guard guard(g_stateLock);
      if (g_state.phase != Phase::Running) misuse("DestroyJavaVM", "there is no running JVM");
      scriptThreads.swap(g_state.scriptThreads);
      bool othersAttached = false;
      for (const std::unique_ptr<AttachedThread>& thread : g_state.threads) {
        if (thread->threadId != GetCurrentThreadId()) othersAttached = true;
      }
      if (scriptThreads.empty() && !othersAttached) {
        // Everything handed out dies with the JVM; a later use of it is
        // caught as a reference that is not live.
        g_state.phase = Phase::Destroyed;
        g_state.threads.clear();
        g_state.lentChars.clear();
        g_state.methods.clear();
        g_state.methodsByKey.clear();
        g_state.classes.clear();
        g_state.objects.clear();
        break;
      }
    }
    // A script thread counts until it has left this library altogether, so
    // that whoever unloads the library after DestroyJavaVM is safe.
    for (HANDLE thread : scriptThreads) {
      WaitForSingleObject(thread, INFINITE);
      CloseHandle(thread);
    }
    if (scriptThreads.empty()) WaitForSingleObject(g_threadsChanged, INFINITE);
  }
  trace("DestroyJavaVM return");
  return JNI_OK;
}

jint JNICALL attachCurrentThread(JavaVM* vm, void** penv, void* args) noexcept {
  checkVm(vm, "AttachCurrentThread");
  if (!penv) misuse("AttachCurrentThread", "no place for the JNIEnv");
  Guard guard(g_stateLock);
  if (g_state.phase != Phase::Running) {
    trace("AttachCurrentThread -> -1");
    *penv = nullptr;
    return JNI_ERR;
  }
  AttachedThread* thread = currentThread();
  if (!thread) {
    const JavaVMAttachArgs* attachArgs = static_cast<const JavaVMAttachArgs*>(args);
    if (attachArgs && !isKnownVersion(attachArgs->version, false)) {
      trace("AttachCurrentThread -> " + std::to_string(JNI_EVERSION));
      *penv = nullptr;
      return JNI_EVERSION;
    }
    std::string name = attachArgs && attachArgs->name ? std::string(attachArgs->name)
                                                       : "Thread-" + std::to_string(g_state.nextThreadNumber++);
    thread = &attachCurrent(std::move(name));
  }
  *penv = &thread->block.env;
  trace("AttachCurrentThread -> 0");
  return JNI_OK;
}

jint JNICALL detachCurrentThread(JavaVM* vm) noexcept {
  checkVm(vm, "DetachCurrentThread");
  {
    Guard guard(g_stateLock);
    trace("DetachCurrentThread");
    std::vector<std::unique_ptr<AttachedThread>>& threads = g_state.threads;
    for (auto it = threads.begin(); it != threads.end(); ++it) {
      if ((*it)->threadId == GetCurrentThreadId()) {
        threads.erase(it);
        break;
      }
    }
  }
  SetEvent(g_threadsChanged);
  return JNI_OK;
}

jint JNICALL getEnv(JavaVM* vm, void** penv, jint version) noexcept {
  checkVm(vm, "GetEnv");
  if (!penv) misuse("GetEnv", "no place for the JNIEnv");
  Guard guard(g_stateLock);
  *penv = nullptr;
  if (!isKnownVersion(version, true)) return JNI_EVERSION;
  AttachedThread* thread = g_state.phase == Phase::Running ? currentThread() : nullptr;
  if (!thread) return JNI_EDETACHED;
  *penv = &thread->block.env;
  return JNI_OK;
}

// ---------------------------------------------------------------------------
// The tables: every slot that is not implemented above ends the process with
// its slot index, counted from the start of the table as JNI numbers them.

using TableSlot = void(JNICALL*)();
static_assert(sizeof(JNINativeInterface_) % sizeof(TableSlot) == 0);
static_assert(sizeof(JNIInvokeInterface_) % sizeof(TableSlot) == 0);
constexpr std::size_t kEnvSlots = sizeof(JNINativeInterface_) / sizeof(TableSlot);
constexpr std::size_t kInvokeSlots = sizeof(JNIInvokeInterface_) / sizeof(TableSlot);
constexpr std::size_t kEnvReservedSlots = 4;
constexpr std::size_t kInvokeReservedSlots = 3;

template <std::size_t Slot>
void JNICALL unexpectedEnvCall() {
  failProcess("unexpected JNI call " + std::to_string(Slot));
}

template <std::size_t Slot>
void JNICALL unexpectedInvokeCall() {
  failProcess("unexpected JNI call " + std::to_string(Slot) + " (invocation)");
}

void storeSlot(void* table, std::size_t slot, TableSlot function) {
  std::memcpy(static_cast<char*>(table) + slot * sizeof(TableSlot), &function, sizeof function);
}

template <std::size_t... Slots>
void trapEnvSlots(std::index_sequence<Slots...>) {
  const TableSlot traps[] = {&unexpectedEnvCall<Slots>...};
  for (std::size_t slot = kEnvReservedSlots; slot < kEnvSlots; ++slot) storeSlot(&g_envTable, slot, traps[slot]);
}

template <std::size_t... Slots>
void trapInvokeSlots(std::index_sequence<Slots...>) {
  const TableSlot traps[] = {&unexpectedInvokeCall<Slots>...};
  for (std::size_t slot = kInvokeReservedSlots; slot < kInvokeSlots; ++slot) storeSlot(&g_invokeTable, slot, traps[slot]);
}

void buildTables() {
  std::memset(&g_envTable, 0, sizeof g_envTable);
  trapEnvSlots(std::make_index_sequence<kEnvSlots>());
  g_envTable.FindClass = findClass;
  g_envTable.GetStaticMethodID = getStaticMethodId;
  g_envTable.CallStaticBooleanMethodV = callStaticBooleanMethodV;
  g_envTable.CallStaticVoidMethodV = callStaticVoidMethodV;
  g_envTable.CallStaticIntMethodV = callStaticIntMethodV;
  g_envTable.CallStaticObjectMethodV = callStaticObjectMethodV;
  g_envTable.NewObjectArray = newObjectArray;
  g_envTable.NewString = newString;
  g_envTable.SetObjectArrayElement = setObjectArrayElement;
  g_envTable.GetStringLength = getStringLength;
  g_envTable.GetStringChars = getStringChars;
  g_envTable.ReleaseStringChars = releaseStringChars;
  g_envTable.ExceptionOccurred = exceptionOccurred;
  g_envTable.ExceptionDescribe = exceptionDescribe;
  g_envTable.ExceptionClear = exceptionClear;
  g_envTable.DeleteLocalRef = deleteLocalRef;

  std::memset(&g_invokeTable, 0, sizeof g_invokeTable);
  trapInvokeSlots(std::make_index_sequence<kInvokeSlots>());
  g_invokeTable.DestroyJavaVM = destroyJavaVm;
  g_invokeTable.AttachCurrentThread = attachCurrentThread;
  g_invokeTable.DetachCurrentThread = detachCurrentThread;
  g_invokeTable.GetEnv = getEnv;
  g_javaVm.functions = &g_invokeTable;
}

// ---------------------------------------------------------------------------
// Files

// <home>\bin\<type>\jvm.dll: the home is two directories above the library.
std::wstring runtimeHome() {
  HMODULE self = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCWSTR>(&runtimeHome), &self);
  return parentDirectory(parentDirectory(parentDirectory(modulePath(self))));
}

std::wstring environmentOr(const wchar_t* name, std::wstring fallback) {
  DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
  if (size <= 1) return fallback;
  std::wstring value(size, L'\0');
  DWORD length = GetEnvironmentVariableW(name, value.data(), size);
  if (length == 0 || length >= size) return fallback;
  value.resize(length);
  return value;
}

std::string hex32(unsigned value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", value);
  return text;
}

// Time since the process was created and its private bytes, as they were
// when JNI_CreateJavaVM was entered.
struct StartupMeasure {
  unsigned long long elapsedMicroseconds = 0;
  unsigned long long privateBytes = 0;
};

StartupMeasure measureStartup() {
  StartupMeasure measure;
  FILETIME now, created, exited, kernel, user;
  GetSystemTimePreciseAsFileTime(&now);
  if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) {
    const auto ticks = [](const FILETIME& t) { return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    measure.elapsedMicroseconds = (ticks(now) - ticks(created)) / 10;
  }
  // Committed private pages, summed over the address space: the counters of
  // the process memory query are not filled in under every system.
  MEMORY_BASIC_INFORMATION region;
  for (const char* address = nullptr;
       VirtualQuery(address, &region, sizeof region) == sizeof region;
       address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) measure.privateBytes += region.RegionSize;
    if (region.RegionSize == 0) break;
  }
  return measure;
}

jint createJavaVm(JavaVM** pvm, void** penv, void* args) {
  const StartupMeasure startup = measureStartup();
  std::wstring home = runtimeHome();
  {
    Guard guard(g_traceLock);
    g_tracePath = environmentOr(L"STANDIN_JVM_TRACE", home + L"\\jvm-trace.txt");
  }
  std::wstring scriptPath = environmentOr(L"STANDIN_JVM_SCRIPT", home + L"\\jvm-script.txt");
  std::vector<ScriptEntry> entries;
  ScriptEntry badEntry;
  JvmScript script;
  if (!readScript(scriptPath, entries, &badEntry) || !parseJvmScript(entries, script, &badEntry)) {
    failProcess(badScriptLineMessage(badEntry));
  }

  if (script.startupReport) {
    const std::string report = "startup elapsed_us=" + std::to_string(startup.elapsedMicroseconds) +
                               " private_bytes=" + std::to_string(startup.privateBytes);
    trace(report);
    std::printf("%s\n", report.c_str());
    std::fflush(stdout);
    ExitProcess(0);
  }

  if (!pvm || !penv || !args) misuse("JNI_CreateJavaVM", "a null argument");
  const JavaVMInitArgs& initArgs = *static_cast<const JavaVMInitArgs*>(args);
  if (initArgs.nOptions < 0 || (initArgs.nOptions > 0 && !initArgs.options)) {
    misuse("JNI_CreateJavaVM", "no options for the count " + std::to_string(initArgs.nOptions));
  }
  trace("JNI_CreateJavaVM version=" + hex32(static_cast<unsigned>(initArgs.version)) +
        " options=" + std::to_string(initArgs.nOptions) + " ignoreUnrecognized=" + (initArgs.ignoreUnrecognized ? "1" : "0"));
  for (jint i = 0; i < initArgs.nOptions; ++i) {
    const char* option = initArgs.options[i].optionString;
    if (!option) misuse("JNI_CreateJavaVM", "option " + std::to_string(i) + " has no text");
    trace("option " + std::to_string(i) + "=" + option);
  }

  Guard guard(g_stateLock);
  jint result = JNI_OK;
  if (g_state.phase == Phase::Running) {
    result = JNI_EEXIST;
  } else if (g_state.phase == Phase::Destroyed || script.failCreate) {
    // A real JVM cannot be created again in a process that destroyed one.
    result = JNI_ERR;
  } else if (!isKnownVersion(initArgs.version, false)) {
    result = JNI_EVERSION;
  }
  if (result == JNI_OK) {
    if (!g_threadsChanged) g_threadsChanged = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    buildTables();
    g_state = VmState();
    g_state.script = std::move(script);
    g_state.phase = Phase::Running;
    AttachedThread& mainThread = attachCurrent("main");
    *pvm = &g_javaVm;
    *penv = &mainThread.block.env;
  }
  trace("JNI_CreateJavaVM -> " + std::to_string(result));
  return result;
}

}  // namespace
}  // namespace standin

extern "C" JNIEXPORT jint JNICALL JNI_CreateJavaVM(JavaVM** pvm, void** penv, void* args) {
  return standin::createJavaVm(pvm, penv, args);
}
