// The stand-in runtime as a whole, as the launchers meet it: the staged trees,
// a 32-bit library in a 64-bit process, java.exe answering -version,
// unpack200.exe restoring a pack file, and the JVM behaviours that end the
// process (seen from outside, through a small launcher of our own).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/standin_support.h"
#include "tests/test_support.h"

namespace standin::testing {
namespace {

using Lines = std::vector<std::string>;

std::wstring inQuotes(const std::wstring& text) { return L"\"" + text + L"\""; }

TEST(StagedRuntimes, TreesHoldWhatTheLaunchersLookFor) {
  const std::wstring stage = stageDirectory();
  const wchar_t* present[] = {
      L"jre\\bin\\java.exe",        L"jre\\bin\\javaw.exe",         L"jre\\bin\\server\\jvm.dll",
      L"jre\\bin\\client\\jvm.dll", L"jre\\bin\\unpack200.exe",     L"jdk\\bin\\java.exe",
      L"jdk\\bin\\javaw.exe",       L"jdk\\lib\\tools.jar",         L"jdk\\jre\\bin\\java.exe",
      L"jdk\\jre\\bin\\javaw.exe",  L"jdk\\jre\\bin\\server\\jvm.dll", L"jre32\\bin\\java.exe",
      L"jre32\\bin\\javaw.exe",     L"jre32\\bin\\server\\jvm.dll", L"jre32\\bin\\client\\jvm.dll",
      L"jre32\\bin\\unpack200.exe",
  };
  for (const wchar_t* path : present) EXPECT_TRUE(fileExists(stage + L"\\" + path)) << utf8FromWide(path);
  // The JDK's own bin has no library, so that a launcher must fall back to its jre\bin.
  const wchar_t* absent[] = {L"jdk\\bin\\server", L"jdk\\bin\\client", L"jre\\lib\\tools.jar", L"jre32\\lib\\tools.jar"};
  for (const wchar_t* path : absent) EXPECT_FALSE(fileExists(stage + L"\\" + path)) << utf8FromWide(path);

  struct Image {
    const wchar_t* path;
    WORD machine;
    bool isDll;
  } images[] = {
      {L"jre\\bin\\server\\jvm.dll", IMAGE_FILE_MACHINE_AMD64, true},
      {L"jre\\bin\\client\\jvm.dll", IMAGE_FILE_MACHINE_AMD64, true},
      {L"jdk\\jre\\bin\\server\\jvm.dll", IMAGE_FILE_MACHINE_AMD64, true},
      {L"jre32\\bin\\server\\jvm.dll", IMAGE_FILE_MACHINE_I386, true},
      {L"jre32\\bin\\client\\jvm.dll", IMAGE_FILE_MACHINE_I386, true},
      {L"jre\\bin\\java.exe", IMAGE_FILE_MACHINE_AMD64, false},
      {L"jre\\bin\\unpack200.exe", IMAGE_FILE_MACHINE_AMD64, false},
  };
  for (const Image& image : images) {
    SCOPED_TRACE(utf8FromWide(image.path));
    PeFacts facts = inspectPe(stage + L"\\" + image.path);
    ASSERT_TRUE(facts.valid);
    EXPECT_EQ(facts.machine, image.machine);
    EXPECT_EQ(facts.isDll, image.isDll);
    if (image.isDll) {
      EXPECT_EQ(facts.exports, Lines{"JNI_CreateJavaVM"});
    }
  }
}

TEST(StagedRuntimes, WrongWordSizeLibraryFailsToLoadWithBadFormat) {
  for (const wchar_t* type : {L"server", L"client"}) {
    std::wstring path = stageDirectory() + L"\\jre32\\bin\\" + type + L"\\jvm.dll";
    ASSERT_TRUE(fileExists(path));
    SetLastError(0);
    HMODULE module = LoadLibraryW(path.c_str());
    DWORD error = GetLastError();
    EXPECT_EQ(module, nullptr) << utf8FromWide(path);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_BAD_EXE_FORMAT)) << utf8FromWide(path);
    if (module) FreeLibrary(module);
  }
}

// java.exe is started the way the launchers probe it: hidden, standard error
// into a file, no input or output.
TEST(StandinJava, AnswersVersionRequestsAsScriptedAndCountsEveryStart) {
  // A directory name outside ASCII shows that the counter records UTF-8.
  TempDirectory scratch(L"standin-j\u00E4va \u20AC");
  const std::string defaultLines = "java version \"1.6.0_20\"\r\nStand-in Runtime Environment (build 1.6.0_20-standin)\r\n";
  const std::string openJdkLines =
      "openjdk version \"17.0.2\" 2022-01-18\r\nStand-in Runtime Environment (build 17.0.2-standin)\r\n";
  struct Case {
    const wchar_t* program;
    const char* script;  // nullptr: no script file
    const wchar_t* arguments;
    DWORD exitCode;
    std::string errorOutput;
  } cases[] = {
      {L"java.exe", nullptr, L" -version", 0, defaultLines},
      {L"java.exe", "# probe answer\r\n\r\nversion_line=openjdk version \"17.0.2\" 2022-01-18\r\nexit_code=3\r\n",
       L" -version", 3, openJdkLines},
      {L"java.exe", "version_line=java version \"1.6.0_20\"\nexit_code=-1\n", L" -version", 0xFFFFFFFF, defaultLines},
      {L"javaw.exe", "version_line=openjdk version \"17.0.2\" 2022-01-18\n", L" -version", 0, openJdkLines},
      // Only -version is scripted; anything else prints the version and succeeds.
      {L"java.exe", "exit_code=3\nhang=1\n", L" -fullversion", 0, defaultLines},
      {L"java.exe", "exit_code=3\n", L" -version -verbose", 0, defaultLines},
      // A mistake in a test's script must not pass for a runtime's answer.
      {L"java.exe", "exitcode=3\n", L" -version", 99, "bad script line 1: exitcode=3\r\n"},
      {L"java.exe", "exit_code=three\n", L" -version", 99, "bad script line 1: exit_code=three\r\n"},
  };
  int index = 0;
  for (const Case& c : cases) {
    std::wstring bin = scratch.path() + L"\\case " + std::to_wstring(++index) + L"\\bin";
    SCOPED_TRACE(utf8FromWide(bin + L"\\" + c.program + c.arguments));
    ASSERT_TRUE(copyFileCreatingDirectories(stageDirectory() + L"\\jre\\bin\\" + c.program, bin + L"\\" + c.program));
    if (c.script) {
      ASSERT_TRUE(writeFile(bin + L"\\java-script.txt", c.script));
    }
    std::wstring commandLine = inQuotes(bin + L"\\" + c.program) + c.arguments;
    std::wstring errorPath = scratch.path() + L"\\stderr.txt";
    for (int start = 1; start <= 2; ++start) {
      ProcessResult result = runProcess(L"", commandLine, L"", errorPath);
      ASSERT_TRUE(result.started) << result.error;
      EXPECT_FALSE(result.timedOut);
      EXPECT_EQ(result.exitCode, c.exitCode);
      EXPECT_EQ(readFile(errorPath), c.errorOutput);
      EXPECT_EQ(splitLines(readFile(bin + L"\\java-invocations.txt")),
                Lines(static_cast<std::size_t>(start), utf8FromWide(commandLine)));
    }
  }
}

TEST(StandinJava, HangsUntilKilledWhenScriptedTo) {
  TempDirectory scratch(L"standin-java-hang");
  std::wstring bin = scratch.path() + L"\\bin";
  ASSERT_TRUE(copyFileCreatingDirectories(stageDirectory() + L"\\jre\\bin\\java.exe", bin + L"\\java.exe"));
  ASSERT_TRUE(writeFile(bin + L"\\java-script.txt", "hang=1\nexit_code=0\n"));
  std::wstring errorPath = scratch.path() + L"\\stderr.txt";
  ProcessResult result = runProcess(L"", inQuotes(bin + L"\\java.exe") + L" -version", L"", errorPath, 4000);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_TRUE(result.timedOut);
  EXPECT_EQ(readFile(errorPath),
            "java version \"1.6.0_20\"\r\nStand-in Runtime Environment (build 1.6.0_20-standin)\r\n");
}

class StandinUnpack200Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(copyFileCreatingDirectories(stageDirectory() + L"\\jre\\bin\\unpack200.exe", program_));
    ASSERT_TRUE(writeFile(pack_, packBytes_));
  }
  Lines log() const { return splitLines(readFile(home_ + L"\\bin\\unpack200-log.txt")); }

  TempDirectory scratch_{L"standin-unpack"};
  const std::wstring home_ = scratch_.path() + L"\\Program Files\\jre \u00E4";
  const std::wstring program_ = home_ + L"\\bin\\unpack200.exe";
  const std::wstring pack_ = home_ + L"\\lib\\rt.jar.pack";
  const std::wstring target_ = home_ + L"\\lib\\rt.jar";
  const std::wstring errorPath_ = scratch_.path() + L"\\stderr.txt";
  const std::string packBytes_ = std::string("PK\x03\x04\0\0\xFF\xFE pack\r\n\x1A", 16);
};

TEST_F(StandinUnpack200Test, RestoresThePackFileNamedOnTheLaunchersCommandLine) {
  std::wstring commandLine = L"-r " + inQuotes(pack_) + L" " + inQuotes(target_);
  ProcessResult result = runProcess(program_, commandLine, L"", errorPath_);
  ASSERT_TRUE(result.started) << result.error;
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(readFile(errorPath_), "");
  EXPECT_EQ(readFile(target_), packBytes_);
  EXPECT_EQ(log(), Lines{utf8FromWide(commandLine)});
}

TEST_F(StandinUnpack200Test, RefusesCommandLinesTheLaunchersMustNotBuild) {
  const std::wstring missing = home_ + L"\\lib\\charsets.jar.pack";
  const std::wstring cases[] = {
      inQuotes(program_) + L" -r " + inQuotes(pack_) + L" " + inQuotes(target_),  // a program name in front
      L"-r " + pack_ + L" " + target_,                                      // paths without quotes
      L"-r " + inQuotes(pack_),                                               // no target
      L"-x " + inQuotes(pack_) + L" " + inQuotes(target_),                      // another switch
      L"-r " + inQuotes(missing) + L" " + inQuotes(target_),                    // nothing to restore
  };
  for (const std::wstring& commandLine : cases) {
    SCOPED_TRACE(utf8FromWide(commandLine));
    ProcessResult result = runProcess(program_, commandLine, L"", errorPath_);
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_EQ(result.exitCode, 1u);
    EXPECT_EQ(readFile(errorPath_).rfind("unpack200: ", 0), 0u) << readFile(errorPath_);
    EXPECT_FALSE(fileExists(target_));
    ASSERT_FALSE(log().empty());
    EXPECT_EQ(log().back(), utf8FromWide(commandLine));
  }
}

// What ends a process cannot be watched from inside it: a small launcher of
// our own drives the library in a child process.
TEST(StandinJvmProcess, EndsTheProcessWhereTestsMustNotice) {
  TempDirectory scratch(L"standin-jvm-process");
  struct Case {
    const char* what;
    const char* script;
    const wchar_t* scenario;
    DWORD exitCode;
    std::string lastTraceLine;
    std::string errorOutput;
    std::string output;
  } cases[] = {
      {"main exits like System.exit", "main=exit:42\nmain_stdout=1\n", L"launch a \"\u00E4 \u20AC\"", 42,
       "main -> exit 42", "", "main received 2 arguments\r\n  [0] a\r\n  [1] \xC3\xA4 \xE2\x82\xAC\r\n"},
      {"an environment function nobody implements", "", L"env-slot 4", 99, "unexpected JNI call 4",
       "unexpected JNI call 4\r\n", ""},
      {"ExceptionCheck, which launchers must not need", "", L"env-slot 228", 99, "unexpected JNI call 228",
       "unexpected JNI call 228\r\n", ""},
      {"an invocation function nobody implements", "", L"vm-slot 7", 99, "unexpected JNI call 7 (invocation)",
       "unexpected JNI call 7 (invocation)\r\n", ""},
      {"a JNIEnv used on another thread", "", L"foreign-env", 99,
       "JNI misuse in FindClass: the JNIEnv of thread \"main\" used on another thread",
       "JNI misuse in FindClass: the JNIEnv of thread \"main\" used on another thread\r\n", ""},
      {"a mistake in the script", "mian=throw\n", L"launch", 99, "bad script line 1: mian=throw",
       "bad script line 1: mian=throw\r\n", ""},
  };
  int index = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::wstring home = scratch.path() + L"\\jre" + std::to_wstring(++index);
    ASSERT_TRUE(copyFileCreatingDirectories(stageDirectory() + L"\\jre\\bin\\server\\jvm.dll",
                                            home + L"\\bin\\server\\jvm.dll"));
    ASSERT_TRUE(writeFile(home + L"\\jvm-script.txt", c.script));
    std::wstring outputPath = home + L"\\stdout.txt";
    std::wstring errorPath = home + L"\\stderr.txt";
    ProcessResult result = runProcess(besideTests(L"standin_jvm_driver.exe"),
                                      inQuotes(L"standin_jvm_driver.exe") + L" " + inQuotes(home) + L" " + c.scenario,
                                      outputPath, errorPath);
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(readFile(errorPath), c.errorOutput);
    EXPECT_EQ(readFile(outputPath), c.output);
    Lines trace = splitLines(readFile(home + L"\\jvm-trace.txt"));
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace.back(), c.lastTraceLine);
  }
}

}  // namespace
}  // namespace standin::testing
