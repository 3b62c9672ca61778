// The stand-in jvm.dll driven through its JNI tables the way a launcher
// drives it. Every test loads its own copy of the staged library from its own
// runtime home, so the library's state, script and trace are the test's alone.
#include <jni.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/standin_support.h"
#include "tests/test_support.h"

namespace standin::testing {
namespace {

using Lines = std::vector<std::string>;

const char* const kLauncherClass = "com/velkor/runtime/WinLauncher";
const char* const kMainSignature = "([Ljava/lang/String;)V";
const char* const kFirstRunClass = "com/morvane/runtime/launcher/FirstRun";
const char* const kControllerClass = "com/velkor/runtime/VelkorController";

using CreateJavaVm = jint(JNICALL*)(JavaVM**, void**, void*);

// One runtime home with its own copy of the library, as a launcher finds it.
class StandinRuntime {
 public:
  explicit StandinRuntime(const std::wstring& home) : home_(home) {
    EXPECT_TRUE(copyFileCreatingDirectories(stageDirectory() + L"\\jre\\bin\\server\\jvm.dll", libraryPath()));
  }
  ~StandinRuntime() {
    if (module_) FreeLibrary(module_);
  }
  StandinRuntime(const StandinRuntime&) = delete;
  StandinRuntime& operator=(const StandinRuntime&) = delete;

  std::wstring libraryPath() const { return home_ + L"\\bin\\server\\jvm.dll"; }
  std::wstring tracePath() const { return home_ + L"\\jvm-trace.txt"; }
  void writeScript(std::string_view text) const { ASSERT_TRUE(writeFile(home_ + L"\\jvm-script.txt", text)); }
  Lines trace() const { return splitLines(readFile(tracePath())); }

  jint create(const std::vector<std::string>& options) { return createInto(options, &vm, &env); }

  jint createInto(const std::vector<std::string>& options, JavaVM** vmOut, JNIEnv** envOut) {
    if (!module_) module_ = LoadLibraryW(libraryPath().c_str());
    if (!module_) {
      ADD_FAILURE() << "LoadLibrary failed with " << GetLastError();
      return JNI_ERR;
    }
    auto entry = reinterpret_cast<CreateJavaVm>(reinterpret_cast<void*>(GetProcAddress(module_, "JNI_CreateJavaVM")));
    if (!entry) {
      ADD_FAILURE() << "JNI_CreateJavaVM is not exported";
      return JNI_ERR;
    }
    std::vector<JavaVMOption> vmOptions;
    for (const std::string& option : options) vmOptions.push_back({const_cast<char*>(option.c_str()), nullptr});
    JavaVMInitArgs args{};
    args.version = JNI_VERSION_1_2;
    args.nOptions = static_cast<jint>(vmOptions.size());
    args.options = vmOptions.data();
    args.ignoreUnrecognized = JNI_TRUE;
    return entry(vmOut, reinterpret_cast<void**>(envOut), &args);
  }

  JavaVM* vm = nullptr;
  JNIEnv* env = nullptr;

 private:
  std::wstring home_;
  HMODULE module_ = nullptr;
};

jstring javaString(JNIEnv* env, std::u16string_view text) {
  return env->NewString(reinterpret_cast<const jchar*>(text.data()), static_cast<jsize>(text.size()));
}

std::u16string readJavaString(JNIEnv* env, jstring string) {
  jsize length = env->GetStringLength(string);
  const jchar* chars = env->GetStringChars(string, nullptr);
  std::u16string text(reinterpret_cast<const char16_t*>(chars), static_cast<std::size_t>(length));
  env->ReleaseStringChars(string, chars);
  return text;
}

// What a launcher does from finding its class to the return of main.
void callLauncherMain(JNIEnv* env, const std::vector<std::u16string>& arguments) {
  jclass launcher = env->FindClass(kLauncherClass);
  ASSERT_NE(launcher, nullptr);
  jmethodID main = env->GetStaticMethodID(launcher, "main", kMainSignature);
  ASSERT_NE(main, nullptr);
  jclass stringClass = env->FindClass("java/lang/String");
  ASSERT_NE(stringClass, nullptr);
  jobjectArray array = env->NewObjectArray(static_cast<jsize>(arguments.size()), stringClass, nullptr);
  ASSERT_NE(array, nullptr);
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    env->SetObjectArrayElement(array, static_cast<jsize>(i), javaString(env, arguments[i]));
  }
  env->CallStaticVoidMethod(launcher, main, array);
}

Lines launchPrelude(std::size_t argumentCount) {
  return {"FindClass com/velkor/runtime/WinLauncher -> found",
          "GetStaticMethodID com/velkor/runtime/WinLauncher main ([Ljava/lang/String;)V -> found",
          "FindClass java/lang/String -> found",
          "NewObjectArray " + std::to_string(argumentCount) + " java/lang/String",
          "call com/velkor/runtime/WinLauncher.main",
          "main args=" + std::to_string(argumentCount)};
}

Lines createLines(const std::vector<std::string>& options, jint result) {
  Lines lines{"JNI_CreateJavaVM version=0x00010002 options=" + std::to_string(options.size()) + " ignoreUnrecognized=1"};
  for (std::size_t i = 0; i < options.size(); ++i) lines.push_back("option " + std::to_string(i) + "=" + options[i]);
  lines.push_back("JNI_CreateJavaVM -> " + std::to_string(result));
  return lines;
}

Lines concat(Lines first, const Lines& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

// The trace lines written since the given count.
Lines linesSince(const Lines& trace, std::size_t count) {
  return count < trace.size() ? Lines(trace.begin() + static_cast<std::ptrdiff_t>(count), trace.end()) : Lines();
}

// A Win32 thread the test joins before the library can go away.
class TestThread {
 public:
  explicit TestThread(std::function<void()> body) : body_(std::move(body)) {
    handle_ = CreateThread(nullptr, 0, &TestThread::run, this, 0, nullptr);
  }
  ~TestThread() { join(); }
  TestThread(const TestThread&) = delete;
  TestThread& operator=(const TestThread&) = delete;
  void join() {
    if (!handle_) return;
    WaitForSingleObject(handle_, INFINITE);
    CloseHandle(handle_);
    handle_ = nullptr;
  }

 private:
  static DWORD WINAPI run(void* self) {
    static_cast<TestThread*>(self)->body_();
    return 0;
  }
  std::function<void()> body_;
  HANDLE handle_ = nullptr;
};

class StandinJvmTest : public ::testing::Test {
 protected:
  std::wstring newHome() { return scratch_.path() + L"\\jre" + std::to_wstring(++homes_); }
  std::wstring scratchFile(const wchar_t* name) { return scratch_.path() + L"\\" + name; }

  TempDirectory scratch_{L"standin-jvm"};
  int homes_ = 0;
};

TEST_F(StandinJvmTest, CreationTracesTheArgumentsAsGivenAndTheScriptedResult) {
  // The options are bytes in the launcher's code page; they are traced as such.
  const std::vector<std::string> options = {"-Dvelkor.moduleName=C:\\Apps\\Caf\xE9\\app.exe", "-Djava.library.path=",
                                            "-Xmx64m"};
  struct Case {
    const char* script;
    jint result;
  } cases[] = {{"", JNI_OK}, {"# the launcher must cope with this\ncreate=fail\n", JNI_ERR}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    StandinRuntime runtime(newHome());
    runtime.writeScript(c.script);
    EXPECT_EQ(runtime.create(options), c.result);
    EXPECT_EQ(runtime.trace(), createLines(options, c.result));
    if (c.result != JNI_OK) {
      EXPECT_EQ(runtime.vm, nullptr);
      EXPECT_EQ(runtime.env, nullptr);
      continue;
    }
    ASSERT_NE(runtime.vm, nullptr);
    ASSERT_NE(runtime.env, nullptr);
    JNIEnv* current = nullptr;
    EXPECT_EQ(runtime.vm->GetEnv(reinterpret_cast<void**>(&current), JNI_VERSION_1_2), JNI_OK);
    EXPECT_EQ(current, runtime.env);
    // One JVM per process, as with a real runtime.
    JavaVM* second = nullptr;
    JNIEnv* secondEnv = nullptr;
    EXPECT_EQ(runtime.createInto({}, &second, &secondEnv), JNI_EEXIST);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(secondEnv, nullptr);
    EXPECT_EQ(runtime.trace().back(), "JNI_CreateJavaVM -> " + std::to_string(JNI_EEXIST));
    EXPECT_EQ(runtime.vm->DestroyJavaVM(), JNI_OK);
  }
}

TEST_F(StandinJvmTest, EnvironmentVariablesNameAnotherScriptAndTrace) {
  StandinRuntime runtime(newHome());
  runtime.writeScript("create=fail\n");
  std::wstring script = scratchFile(L"other-script.txt");
  std::wstring trace = scratchFile(L"other-trace.txt");
  ASSERT_TRUE(writeFile(script, "main=throw\n"));
  SetEnvironmentVariableW(L"STANDIN_JVM_SCRIPT", script.c_str());
  SetEnvironmentVariableW(L"STANDIN_JVM_TRACE", trace.c_str());
  jint result = runtime.create({});
  SetEnvironmentVariableW(L"STANDIN_JVM_SCRIPT", nullptr);
  SetEnvironmentVariableW(L"STANDIN_JVM_TRACE", nullptr);

  ASSERT_EQ(result, JNI_OK) << "the home's script was read";
  callLauncherMain(runtime.env, {});
  EXPECT_NE(runtime.env->ExceptionOccurred(), nullptr) << "the named script was not read";
  EXPECT_FALSE(fileExists(runtime.tracePath()));
  Lines lines = splitLines(readFile(trace));
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.back(), "ExceptionOccurred -> yes");
  EXPECT_EQ(lines[lines.size() - 2], "main -> throw");
  runtime.env->ExceptionClear();
  EXPECT_EQ(runtime.vm->DestroyJavaVM(), JNI_OK);
}

TEST_F(StandinJvmTest, MainReceivesEveryArgumentExactlyAndDestroyEndsTheJvm) {
  StandinRuntime runtime(newHome());
  const std::vector<std::string> options = {"-Djava.class.path=app.jar"};
  ASSERT_EQ(runtime.create(options), JNI_OK);
  const std::vector<std::u16string> arguments = {
      u"0", u"com.example.Main", u"gr\u00FC\u00DFe \u20AC", u"\U0001F600 face", u"", u"lone \xD800 high", u"\xDC00"};
  callLauncherMain(runtime.env, arguments);
  EXPECT_EQ(runtime.env->ExceptionOccurred(), nullptr);
  EXPECT_EQ(runtime.vm->DestroyJavaVM(), JNI_OK);

  Lines expected = concat(createLines(options, JNI_OK), launchPrelude(arguments.size()));
  expected = concat(expected, {"main arg 0=0", "main arg 1=com.example.Main", "main arg 2=gr\xC3\xBC\xC3\x9F" "e \xE2\x82\xAC",
                               "main arg 3=\xF0\x9F\x98\x80 face", "main arg 4=", "main arg 5=lone \\uD800 high",
                               "main arg 6=\\uDC00", "main -> return", "ExceptionOccurred -> no", "DestroyJavaVM enter",
                               "DestroyJavaVM return"});
  EXPECT_EQ(runtime.trace(), expected);

  // Nothing of the destroyed JVM is left for this thread.
  JNIEnv* current = nullptr;
  EXPECT_EQ(runtime.vm->GetEnv(reinterpret_cast<void**>(&current), JNI_VERSION_1_2), JNI_EDETACHED);
  EXPECT_EQ(current, nullptr);
}

TEST_F(StandinJvmTest, MissingClassesAndMethodsLeaveTheirErrorPending) {
  StandinRuntime runtime(newHome());
  runtime.writeScript("missing_class=com/velkor/runtime/WinLauncher\n"
                      "missing_method=com/morvane/runtime/launcher/FirstRun.firstRun\n");
  ASSERT_EQ(runtime.create({}), JNI_OK);
  JNIEnv* env = runtime.env;
  jclass firstRun = env->FindClass(kFirstRunClass);
  jclass otherLauncher = env->FindClass("com/morvane/runtime/launcher/WinLauncher");
  jclass controller = env->FindClass(kControllerClass);
  ASSERT_TRUE(firstRun && otherLauncher && controller);

  struct Case {
    const char* what;
    std::function<void*()> lookup;
    const char* traceLine;
    const char* description;  // nullptr: found, nothing pending
  } cases[] = {
      {"scripted missing class", [&] { return env->FindClass(kLauncherClass); },
       "FindClass com/velkor/runtime/WinLauncher -> missing",
       "java.lang.NoClassDefFoundError: com/velkor/runtime/WinLauncher"},
      {"dotted class name", [&] { return env->FindClass("com.velkor.runtime.VelkorController"); },
       "FindClass com.velkor.runtime.VelkorController -> missing",
       "java.lang.NoClassDefFoundError: com.velkor.runtime.VelkorController"},
      {"any other class", [&] { return env->FindClass("org/example/Anything"); },
       "FindClass org/example/Anything -> found", nullptr},
      {"scripted missing method", [&] { return env->GetStaticMethodID(firstRun, "firstRun", "()Z"); },
       "GetStaticMethodID com/morvane/runtime/launcher/FirstRun firstRun ()Z -> missing",
       "java.lang.NoSuchMethodError: firstRun"},
      {"same name on another class", [&] { return env->GetStaticMethodID(otherLauncher, "firstRun", "()Z"); },
       "GetStaticMethodID com/morvane/runtime/launcher/WinLauncher firstRun ()Z -> found", nullptr},
      {"another method of the class", [&] { return env->GetStaticMethodID(firstRun, "main", kMainSignature); },
       "GetStaticMethodID com/morvane/runtime/launcher/FirstRun main ([Ljava/lang/String;)V -> found", nullptr},
      {"descriptor without return type", [&] { return env->GetStaticMethodID(controller, "getAction", "()"); },
       "GetStaticMethodID com/velkor/runtime/VelkorController getAction () -> missing",
       "java.lang.NoSuchMethodError: getAction"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::size_t before = runtime.trace().size();
    void* found = c.lookup();
    jthrowable pending = env->ExceptionOccurred();
    std::string described = captureStandardError(scratchFile(L"stderr.txt"), [&] { env->ExceptionDescribe(); });
    if (c.description) {
      EXPECT_EQ(found, nullptr);
      EXPECT_NE(pending, nullptr);
      EXPECT_EQ(described, std::string("Exception in thread \"main\" ") + c.description + "\r\n");
      EXPECT_EQ(linesSince(runtime.trace(), before),
                (Lines{c.traceLine, "ExceptionOccurred -> yes", "ExceptionDescribe"}));
    } else {
      EXPECT_NE(found, nullptr);
      EXPECT_EQ(pending, nullptr);
      EXPECT_EQ(described, "");
      EXPECT_EQ(linesSince(runtime.trace(), before), (Lines{c.traceLine, "ExceptionOccurred -> no", "ExceptionDescribe"}));
    }
    EXPECT_EQ(env->ExceptionOccurred(), nullptr) << "ExceptionDescribe clears the exception";
  }
  EXPECT_EQ(runtime.vm->DestroyJavaVM(), JNI_OK);
}

TEST_F(StandinJvmTest, FirstRunAnswersAsScripted) {
  struct Case {
    const char* script;
    jboolean answer;
    const char* traceLine;
    const char* description;  // nullptr: no exception
  } cases[] = {
      {"", JNI_TRUE, "firstRun -> true", nullptr},
      {"first_run=true\n", JNI_TRUE, "firstRun -> true", nullptr},
      {"first_run=false\n", JNI_FALSE, "firstRun -> false", nullptr},
      {"first_run=throw\n", JNI_FALSE, "firstRun -> throw",
       "Exception in thread \"main\" java.lang.IllegalStateException: stand-in firstRun failed\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    StandinRuntime runtime(newHome());
    runtime.writeScript(c.script);
    ASSERT_EQ(runtime.create({}), JNI_OK);
    JNIEnv* env = runtime.env;
    jclass firstRun = env->FindClass(kFirstRunClass);
    jmethodID method = env->GetStaticMethodID(firstRun, "firstRun", "()Z");
    ASSERT_NE(method, nullptr);
    std::size_t before = runtime.trace().size();
    EXPECT_EQ(env->CallStaticBooleanMethod(firstRun, method), c.answer);
    bool pending = env->ExceptionOccurred() != nullptr;
    EXPECT_EQ(pending, c.description != nullptr);
    Lines expected = {"call com/morvane/runtime/launcher/FirstRun.firstRun", c.traceLine,
                      pending ? "ExceptionOccurred -> yes" : "ExceptionOccurred -> no"};
    if (pending) {
      std::string described = captureStandardError(scratchFile(L"stderr.txt"), [&] { env->ExceptionDescribe(); });
      EXPECT_EQ(described, c.description);
      expected.push_back("ExceptionDescribe");
    }
    EXPECT_EQ(linesSince(runtime.trace(), before), expected);
    EXPECT_EQ(runtime.vm->DestroyJavaVM(), JNI_OK);
  }
}

TEST_F(StandinJvmTest, MainThatThrowsLeavesTheExceptionForTheLauncherToDescribe) {
  StandinRuntime runtime(newHome());
  runtime.writeScript("main=throw\n");
  ASSERT_EQ(runtime.create({}), JNI_OK);
  JNIEnv* env = runtime.env;
  callLauncherMain(env, {u"a"});
  EXPECT_NE(env->ExceptionOccurred(), nullptr);
  std::string described = captureStandardError(scratchFile(L"stderr.txt"), [&] { env->ExceptionDescribe(); });
  EXPECT_EQ(described, "Exception in thread \"main\" java.lang.IllegalStateException: stand-in main failed\r\n");
  EXPECT_EQ(env->ExceptionOccurred(), nullptr);

  Lines expected = concat(createLines({}, JNI_OK), launchPrelude(1));
  expected = concat(expected, {"main arg 0=a", "main -> throw", "ExceptionOccurred -> yes", "ExceptionDescribe",
                               "ExceptionOccurred -> no"});
  EXPECT_EQ(runtime.trace(), expected);
  EXPECT_EQ(runtime.vm->DestroyJavaVM(), JNI_OK);
}

TEST_F(StandinJvmTest, SplashThreadAttachesPollsTheControllerAndDetaches) {
  StandinRuntime runtime(newHome());
  runtime.writeScript("splash_actions=0,2,2,1\nsplash_texts=Loading \xE2\x80\xA6|Bereit \xC3\xA4\n");
  ASSERT_EQ(runtime.create({}), JNI_OK);
  JavaVM* vm = runtime.vm;
  JNIEnv* mainEnv = runtime.env;
  std::size_t before = runtime.trace().size();

  std::vector<jint> actions;
  std::vector<std::u16string> texts;
  bool lastTextIsNull = false;
  jint detachedBefore = JNI_OK;
  jint detachedAfter = JNI_OK;
  JNIEnv* splashEnv = nullptr;
  TestThread splash([&] {
    void* unused = nullptr;
    detachedBefore = vm->GetEnv(&unused, JNI_VERSION_1_2);
    if (vm->AttachCurrentThread(reinterpret_cast<void**>(&splashEnv), nullptr) != JNI_OK) return;
    jclass controller = splashEnv->FindClass(kControllerClass);
    jmethodID getAction = splashEnv->GetStaticMethodID(controller, "getAction", "()I");
    jmethodID getText = splashEnv->GetStaticMethodID(controller, "getText", "()Ljava/lang/String;");
    for (int tick = 0; tick < 5; ++tick) {
      jint action = splashEnv->CallStaticIntMethod(controller, getAction);
      actions.push_back(action);
      if (action == 2) {
        jobject text = splashEnv->CallStaticObjectMethod(controller, getText);
        if (text) texts.push_back(readJavaString(splashEnv, static_cast<jstring>(text)));
      }
    }
    lastTextIsNull = splashEnv->CallStaticObjectMethod(controller, getText) == nullptr;
    vm->DetachCurrentThread();
    detachedAfter = vm->GetEnv(&unused, JNI_VERSION_1_2);
  });
  splash.join();

  EXPECT_EQ(detachedBefore, JNI_EDETACHED);
  EXPECT_NE(splashEnv, nullptr);
  EXPECT_NE(splashEnv, mainEnv) << "every thread has its own JNIEnv";
  EXPECT_EQ(actions, (std::vector<jint>{0, 2, 2, 1, 1}));
  EXPECT_EQ(texts, (std::vector<std::u16string>{u"Loading \u2026", u"Bereit \u00E4"}));
  EXPECT_TRUE(lastTextIsNull);
  EXPECT_EQ(detachedAfter, JNI_EDETACHED);
  const std::string action = "call com/velkor/runtime/VelkorController.getAction";
  const std::string text = "call com/velkor/runtime/VelkorController.getText";
  EXPECT_EQ(linesSince(runtime.trace(), before),
            (Lines{"AttachCurrentThread -> 0", "FindClass com/velkor/runtime/VelkorController -> found",
                   "GetStaticMethodID com/velkor/runtime/VelkorController getAction ()I -> found",
                   "GetStaticMethodID com/velkor/runtime/VelkorController getText ()Ljava/lang/String; -> found", action,
                   action, text, action, text, action, action, text, "DetachCurrentThread"}));
  EXPECT_EQ(vm->DestroyJavaVM(), JNI_OK);
}

TEST_F(StandinJvmTest, DestroyWaitsForTheThreadMainLeftRunning) {
  StandinRuntime runtime(newHome());
  runtime.writeScript("thread_after_main_ms=800\n");
  ASSERT_EQ(runtime.create({}), JNI_OK);
  callLauncherMain(runtime.env, {});
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(runtime.vm->DestroyJavaVM(), JNI_OK);
  EXPECT_GE(GetTickCount64() - start, 700u);

  Lines expected = concat(createLines({}, JNI_OK), launchPrelude(0));
  expected = concat(expected, {"thread started", "main -> return", "DestroyJavaVM enter", "thread ended",
                               "DestroyJavaVM return"});
  EXPECT_EQ(runtime.trace(), expected);
}

TEST_F(StandinJvmTest, DestroyWaitsForAnAttachedThreadToDetach) {
  StandinRuntime runtime(newHome());
  ASSERT_EQ(runtime.create({}), JNI_OK);
  JavaVM* vm = runtime.vm;
  HANDLE attached = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  TestThread splash([&] {
    JNIEnv* env = nullptr;
    vm->AttachCurrentThread(reinterpret_cast<void**>(&env), nullptr);
    SetEvent(attached);
    Sleep(600);
    vm->DetachCurrentThread();
  });
  ASSERT_EQ(WaitForSingleObject(attached, 10000), WAIT_OBJECT_0);
  ULONGLONG start = GetTickCount64();
  EXPECT_EQ(vm->DestroyJavaVM(), JNI_OK);
  EXPECT_GE(GetTickCount64() - start, 400u);
  splash.join();
  CloseHandle(attached);

  EXPECT_EQ(runtime.trace(), concat(createLines({}, JNI_OK), {"AttachCurrentThread -> 0", "DestroyJavaVM enter",
                                                             "DetachCurrentThread", "DestroyJavaVM return"}));
}

}  // namespace
}  // namespace standin::testing
