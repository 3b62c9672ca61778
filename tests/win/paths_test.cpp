// Path operations against the real file system, with the executable placed
// in C:\app\bin or in a scratch directory.
#include "runtime/paths.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>

#include "support/temp_directory.h"

namespace launcher {
namespace {

using testing::ProcessStateGuard;
using testing::TempDirectory;

TEST(Paths, ResolvingAndMakingAbsoluteForAnExecutableInAppBin) {
  ProcessStateGuard guard;
  guard.setExecutable("C:\\app\\bin\\app.exe");
  struct Case {
    const char* path;
    const char* resolved;
    const char* absolute;       // keep case off
    const char* absoluteKeepCase;
  } cases[] = {
      {"lib\\a.jar", "C:\\app\\bin\\lib\\a.jar", "c:\\app\\bin\\lib\\a.jar", "C:\\app\\bin\\lib\\a.jar"},
      {"D:\\x", "D:\\x", "d:\\x", "D:\\x"},
      {"\\\\server\\share\\x", "\\\\server\\share\\x", "\\\\server\\share\\x", "\\\\server\\share\\x"},
      {"C:/x", "C:\\app\\bin\\C:/x", nullptr, nullptr},
      {"..\\lib", "C:\\app\\bin\\..\\lib", "c:\\app\\lib", "C:\\app\\lib"},
      {"C:\\App\\Lib", "C:\\App\\Lib", "c:\\app\\lib", "C:\\App\\Lib"},
      {"sub\\\\\\x.jar", "C:\\app\\bin\\sub\\x.jar", "c:\\app\\bin\\sub\\x.jar", "C:\\app\\bin\\sub\\x.jar"},
      {".", "C:\\app\\bin\\.", "c:\\app\\bin", "C:\\app\\bin"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(resolveAgainst(c.path), c.resolved) << c.path;
    if (c.absolute) {
      EXPECT_EQ(makeAbsolute(c.path, false), c.absolute) << c.path;
    }
    if (c.absoluteKeepCase) {
      EXPECT_EQ(makeAbsolute(c.path, true), c.absoluteKeepCase) << c.path;
    }
  }
  const std::string base = "D:\\cfg\\main.vmoptions";
  EXPECT_EQ(resolveAgainst("other.vmoptions", &base), "D:\\cfg\\other.vmoptions");
  EXPECT_EQ(resolveAgainst("E:\\abs.vmoptions", &base), "E:\\abs.vmoptions");
  EXPECT_EQ(resolvePathList("a.jar;;..\\b;D:\\c;"), "C:\\app\\bin\\a.jar;C:\\app\\bin\\..\\b;D:\\c");
  EXPECT_EQ(resolvePathList(""), "");
}

TEST(Paths, CollapsingAndLowerCasingKeepWhatTheCodePageCannotHold) {
  std::string unc = "\\\\server\\\\share\\\\\\x";
  collapseBackslashes(unc);
  EXPECT_EQ(unc, "\\\\server\\share\\x");
  std::string mixed = "C:\\App\\\xC4pfel";  // Ä in code page 1252 stays as it is
  lowerCasePath(mixed);
  EXPECT_EQ(mixed, "c:\\app\\\xC4pfel");
}

TEST(Paths, ExistenceOfFilesDirectoriesWildcardsAndDriveRoots) {
  TempDirectory dir;
  dir.write("a.jar", "x");
  dir.makeDirectory("sub");
  EXPECT_TRUE(pathExists(dir.file("a.jar")));
  EXPECT_TRUE(pathExists(dir.file("sub")));
  EXPECT_TRUE(pathExists(dir.file("*.jar")));
  EXPECT_FALSE(pathExists(dir.file("*.zip")));
  EXPECT_FALSE(pathExists(dir.file("missing")));
  EXPECT_TRUE(pathExists("C:\\"));
  EXPECT_TRUE(pathExists("C:\\."));
  EXPECT_TRUE(pathExists("Q:\\.\\."));  // a root counts without looking
  EXPECT_FALSE(pathExists(""));
}

TEST(Paths, FindFileReportsTheLastWriteTime) {
  TempDirectory dir;
  dir.write("java.exe", "x");
  const std::string file = dir.file("java.exe");
  FILETIME when{0x12345678, 0x01D00000};
  HANDLE h = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  ASSERT_TRUE(SetFileTime(h, nullptr, nullptr, &when));
  CloseHandle(h);
  uint64_t lastWrite = 0;
  ASSERT_TRUE(findFile(file, &lastWrite));
  EXPECT_EQ(lastWrite, 0x01D0000012345678ull);
  EXPECT_FALSE(findFile(dir.file("nothing.exe"), &lastWrite));
}

TEST(Paths, ListingInFileSystemOrderOfFilesAndDirectoriesAlike) {
  TempDirectory dir;
  dir.write("b.jar", "");
  dir.write("a.jar", "");
  dir.write("c.zip", "");
  dir.makeDirectory("d.jar");
  std::vector<std::string> names = listDirectory(dir.path(), "jar");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.jar", "b.jar", "d.jar"}));
  EXPECT_EQ(listDirectory(dir.path(), ".zip"), std::vector<std::string>{"c.zip"});
  EXPECT_TRUE(listDirectory(dir.file("missing"), "jar").empty());
}

TEST(Paths, TemporaryDirectoryNamesAndTheLauncherDirectory) {
  ProcessStateGuard guard;
  TempDirectory dir;
  guard.setEnvironment("TMP", dir.path());
  guard.setEnvironment("TEMP", dir.path());
  const std::string temp = getTempDirectory();
  EXPECT_EQ(temp, dir.path() + "\\");
  EXPECT_EQ(getProcessCommFileName(4242), dir.path() + "\\vxk_p4242.tmp");

  const std::string name = makeTempFileName();
  EXPECT_EQ(name.rfind(dir.path() + "\\vxk", 0), 0u) << name;
  EXPECT_TRUE(pathExists(name));  // the system creates the file empty

  createLauncherTempDirectory();
  const std::string launcherDir = g_paths.launcherTempDirectory;
  EXPECT_EQ(launcherDir.rfind(dir.path() + "\\vxk", 0), 0u) << launcherDir;
  EXPECT_EQ(launcherDir.substr(launcherDir.size() - 4), "_dir");
  const DWORD attributes = GetFileAttributesA(launcherDir.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_TRUE(pathExists(launcherDir.substr(0, launcherDir.size() - 4)));  // its name file stays
}

TEST(Paths, AWritableDirectoryIsProvedByMakingOne) {
  TempDirectory dir;
  EXPECT_TRUE(isWritableDirectory(dir.path()));
  EXPECT_FALSE(pathExists(dir.file("vxk_w_testdir")));
  EXPECT_FALSE(isWritableDirectory(dir.file("missing")));
}

TEST(Paths, NativeLibraryDirectoriesGoInFrontOfPath) {
  ProcessStateGuard guard;
  guard.setExecutable("C:\\app\\bin\\app.exe");
  guard.setEnvironment("PATH", "C:\\windows\\system32");
  guard.setEnvironment("MYLIBS", "D:\\native");
  g_settings.narrow[setting::NativeLibraryDirectories] = "..\\lib;${MYLIBS}";
  addNativeLibraryPath();
  char path[16384];
  GetEnvironmentVariableA("PATH", path, sizeof path);
  EXPECT_STREQ(path, "C:\\app\\bin\\..\\lib;D:\\native;C:\\windows\\system32");
  EXPECT_STREQ(std::getenv("PATH"), path);  // the C library's copy agrees

  g_settings.narrow.erase(setting::NativeLibraryDirectories);
  addNativeLibraryPath();
  GetEnvironmentVariableA("PATH", path, sizeof path);
  EXPECT_STREQ(path, "C:\\app\\bin\\..\\lib;D:\\native;C:\\windows\\system32");
}

TEST(Paths, AVeryLongPathIsCutBehindTheNativeDirectories) {
  ProcessStateGuard guard;
  guard.setExecutable("C:\\app\\bin\\app.exe");
  guard.setEnvironment("PATH", std::string(20000, 'p'));
  g_settings.narrow[setting::NativeLibraryDirectories] = "D:\\native";
  addNativeLibraryPath();
  char path[32768];
  const DWORD length = GetEnvironmentVariableA("PATH", path, sizeof path);
  EXPECT_EQ(length, 16383u);
  EXPECT_EQ(std::string(path, 10), "D:\\native;");
}

TEST(Paths, TheExecutablePathIsTheRunningProgramsLongPath) {
  ProcessStateGuard guard;
  g_paths.exePath.reset();
  g_paths.exeDirectory.reset();
  char module[MAX_PATH];
  GetModuleFileNameA(nullptr, module, MAX_PATH);
  char longPath[MAX_PATH];
  GetLongPathNameA(module, longPath, MAX_PATH);
  EXPECT_EQ(getExePath(), longPath);
  const std::string directory = getExeDirectory();
  EXPECT_EQ(directory.back(), '\\');
  EXPECT_EQ(std::string(longPath).rfind(directory, 0), 0u);
}

}  // namespace
}  // namespace launcher
