#include "runtime/paths.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <direct.h>

#include "config/settings.h"
#include "process/windows_ops.h"
#include "runtime/errors.h"
#include "runtime/handles.h"
#include "runtime/log.h"
#include "runtime/path_rules.h"
#include "runtime/text.h"
#include "windows/variables.h"

namespace launcher {

PathState g_paths;

namespace {

constexpr std::size_t kPathBuffer = 8192;

bool endsWithExe(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  lowerCaseAscii(tail);
  return tail == ".exe";
}

std::optional<std::string> acceptableExePath(const WideString& path) {
  bool lossless = false;
  std::string narrow = narrowFromWide(path, fileCodePage(), &lossless);
  if (lossless && narrow.size() >= 4 && endsWithExe(narrow)) return narrow;
  return std::nullopt;
}

std::string computeExePath() {
  using LongPathFunction = DWORD(WINAPI*)(LPCWSTR, LPWSTR, DWORD);
  LongPathFunction getLongPathName = nullptr;
  if (HMODULE kernel = LoadLibraryW(L"Kernel32.DLL"))
    getLongPathName = reinterpret_cast<LongPathFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "GetLongPathNameW")));

  if (isWindowsNt() && getLongPathName) {
    wchar_t module[kPathBuffer];
    const DWORD moduleLength = GetModuleFileNameW(nullptr, module, kPathBuffer);
    if (moduleLength > 0 && moduleLength < kPathBuffer) {
      wchar_t longPath[kPathBuffer];
      const DWORD longLength = getLongPathName(module, longPath, kPathBuffer);
      if (longLength > 0 && longLength < kPathBuffer) {
        if (auto accepted = acceptableExePath(fromWchar(longPath, longLength))) return *accepted;
        wchar_t shortPath[kPathBuffer];
        const DWORD shortLength = GetShortPathNameW(longPath, shortPath, kPathBuffer);
        if (shortLength > 0 && shortLength < kPathBuffer)
          if (auto accepted = acceptableExePath(fromWchar(shortPath, shortLength))) return *accepted;
      }
    }
    char narrowModule[kPathBuffer];
    const DWORD narrowLength = GetModuleFileNameA(nullptr, narrowModule, kPathBuffer);
    if (narrowLength == 0 || narrowLength >= kPathBuffer) return {};
    char shortPath[kPathBuffer];
    const DWORD shortLength = GetShortPathNameA(narrowModule, shortPath, kPathBuffer);
    if (shortLength > 0 && shortLength < kPathBuffer) return std::string(shortPath, shortLength);
    return std::string(narrowModule, narrowLength);
  }
  char narrowModule[kPathBuffer];
  const DWORD narrowLength = GetModuleFileNameA(nullptr, narrowModule, kPathBuffer);
  if (narrowLength == 0 || narrowLength >= kPathBuffer) return {};
  return std::string(narrowModule, narrowLength);
}

std::string fullPathOf(const std::string& path) {
  char full[kPathBuffer];
  char* filePart = nullptr;
  const DWORD length = GetFullPathNameA(path.c_str(), kPathBuffer, full, &filePart);
  if (length == 0 || length >= kPathBuffer) return path;
  return std::string(full, length);
}

std::string environmentValue(const char* name) {
  char value[kPathBuffer];
  const DWORD length = GetEnvironmentVariableA(name, value, kPathBuffer);
  if (length == 0 || length >= kPathBuffer) return {};
  return std::string(value, length);
}


}  // namespace

const std::string& getExePath() {
  if (!g_paths.exePath) {
    std::string path = computeExePath();
    collapseBackslashes(path);
    g_paths.exePath = path;
  }
  return *g_paths.exePath;
}

const std::string& getExeDirectory() {
  if (!g_paths.exeDirectory) g_paths.exeDirectory = directoryOf(fullPathOf(getExePath()));
  return *g_paths.exeDirectory;
}

namespace {
// Character-wise changes happen in UTF-16 and are kept only when the result
// converts back without loss.
template <typename Change>
void changeInWide(std::string& path, Change change) {
  const UINT codePage = fileCodePage();
  WideString wide = wideFromNarrow(path, codePage);
  change(wide);
  bool lossless = false;
  std::string back = narrowFromWide(wide, codePage, &lossless);
  if (lossless) path = back;
}
}  // namespace

void collapseBackslashes(std::string& path) {
  changeInWide(path, [](WideString& wide) { collapseBackslashRuns(wide); });
}

void lowerCasePath(std::string& path) {
  changeInWide(path, [](WideString& wide) { lowerCaseAscii(wide); });
}

bool findFile(const std::string& path, uint64_t* lastWriteTime) {
  WIN32_FIND_DATAA data;
  FindHandle search(FindFirstFileA(path.c_str(), &data));
  if (!search) return false;
  if (lastWriteTime)
    *lastWriteTime = (uint64_t{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
  return true;
}

bool pathExists(const std::string& path) {
  if (isDriveRoot(path)) return true;
  return findFile(path);
}

std::string resolveAgainst(const std::string& path, const std::string* baseFile) {
  std::string directory;
  if (isRelativePath(path)) directory = baseFile ? directoryOf(fullPathOf(*baseFile)) : getExeDirectory();
  std::string result = directory + path;
  collapseBackslashes(result);
  return cutToBuffer(result, kPathBuffer);
}

std::string makeAbsolute(const std::string& path, bool keepCase) {
  std::string result = fullPathOf(resolveAgainst(path));
  if (!keepCase) lowerCasePath(result);
  collapseBackslashes(result);
  return result;
}

bool isWritableDirectory(const std::string& directory) {
  const std::string probe = directory + "\\vxk_w_testdir";
  RemoveDirectoryA(probe.c_str());
  if (!CreateDirectoryA(probe.c_str(), nullptr)) return false;
  const bool exists = pathExists(probe);
  RemoveDirectoryA(probe.c_str());
  return exists;
}

std::string getTempDirectory() {
  char buffer[kPathBuffer];
  const DWORD length = GetTempPathA(kPathBuffer, buffer);
  const DWORD lastError = GetLastError();
  logMessage("GetTempPath returned %d (last error %d)", static_cast<int>(length), static_cast<int>(lastError));
  std::string directory = length > 0 && length < kPathBuffer ? std::string(buffer, length) : std::string();
  if (directory.empty()) {
    directory = cutToBuffer(environmentValue("HOMEDRIVE") + environmentValue("HOMEPATH"), kPathBuffer);
    logMessage("No temp dir defined. Using home %s", directory.c_str());
  } else {
    const int made = _mkdir(directory.c_str());
    logMessage("make dir returned %d", made);
  }

  // A '?' in the long form marks a character the code page cannot hold; such
  // a directory cannot be handed on as a narrow path. When the long form
  // cannot be had at all, the directory is used as the system gave it.
  char longForm[kPathBuffer];
  const DWORD longLength = GetLongPathNameA(directory.c_str(), longForm, kPathBuffer);
  const std::string checked = longLength > 0 && longLength < kPathBuffer ? std::string(longForm, longLength) : directory;
  if (checked.find('?') == std::string::npos) {
    if (directory.empty() || directory.back() != '\\') directory += '\\';
    return directory;
  }

  char windows[MAX_PATH];
  const UINT windowsLength = GetWindowsDirectoryA(windows, MAX_PATH);
  const std::string windowsDirectory = windowsLength > 0 && windowsLength < MAX_PATH ? windows : "";
  const std::string candidates[] = {windowsDirectory + "\\temp", "c:\\temp", "c:\\tmp", windowsDirectory};
  for (const std::string& candidate : candidates) {
    if (!candidate.empty() && isWritableDirectory(candidate)) return candidate.back() == '\\' ? candidate : candidate + '\\';
  }
  if (isWritableDirectory("c:\\")) {
    CreateDirectoryA("c:\\tmp", nullptr);
    if (isWritableDirectory("c:\\tmp")) return "c:\\tmp\\";
  }
  fatalMessage(message::NoTempDirectory);
}

std::string makeTempFileName() {
  const std::string directory = getTempDirectory();
  logMessage("tempPath is %s", directory.c_str());
  char name[kPathBuffer];
  std::string result;
  if (GetTempFileNameA(directory.c_str(), "vxk", 0, name) != 0) {
    result = name;
  } else {
    const DWORD lastError = GetLastError();
    logMessage("GetTempFileName failed (last error %d)", static_cast<int>(lastError));
    std::srand(static_cast<unsigned>(std::time(nullptr)));
    result = directory + "vxk" + std::to_string(std::rand() & 0x7FFF);
  }
  logMessage("tempFile is %s", result.c_str());
  return result;
}

std::string getProcessCommFileName(unsigned long processId) {
  return getTempDirectory() + "vxk_p" + std::to_string(processId) + ".tmp";
}

std::string resolvePathList(const std::string& list) {
  const std::string copy = cutToBuffer(list, kPathBuffer);
  std::string result;
  for (std::string_view entry : splitList(copy, ';')) {
    if (!result.empty()) result += ';';
    result += resolveAgainst(std::string(entry));
  }
  return result;
}

std::vector<std::string> listDirectory(const std::string& directory, const std::string& extension) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA data;
  FindHandle search(FindFirstFileA(directorySearchPattern(directory, extension).c_str(), &data));
  if (!search) return names;
  do {
    names.emplace_back(data.cFileName);
  } while (FindNextFileA(search.get(), &data));
  return names;
}

void createLauncherTempDirectory() {
  for (int attempt = 0; attempt < 5; ++attempt) {
    g_paths.launcherTempDirectory = makeTempFileName() + "_dir";
    logMessage("Temp dir: %s", g_paths.launcherTempDirectory.c_str());
    if (CreateDirectoryA(g_paths.launcherTempDirectory.c_str(), nullptr)) return;
    const DWORD lastError = GetLastError();
    logMessage("Could not create dir (%d)", static_cast<int>(lastError));
  }
  fatalMessage(message::InternalError, "7");
}

void addNativeLibraryPath() {
  constexpr std::size_t kListBuffer = 16384;
  std::string directories = getSetting(setting::NativeLibraryDirectories);
  logMessage("native lib dir is %s", directories.c_str());
  expandVariables(directories);
  std::string value = cutToBuffer(resolvePathList(directories), kListBuffer);
  if (!value.empty() && value.back() != ';') value += ';';
  // The old PATH fills what room is left; a value that does not fit whole
  // is cut, so the native directories always come first.
  value += readEnvironment("PATH");
  value = cutToBuffer(value, kListBuffer);
  setPathVariable(value, "Setting PATH (native libs)");
}

std::string readEnvironment(const char* name) {
  const DWORD size = GetEnvironmentVariableA(name, nullptr, 0);
  if (size == 0) return {};
  std::string value(size, '\0');
  const DWORD length = GetEnvironmentVariableA(name, value.data(), size);
  value.resize(length < size ? length : 0);
  return value;
}

void setPathVariable(const std::string& value, const char* what) {
  if (SetEnvironmentVariableA("PATH", value.c_str())) {
    logMessage("%s %s", what, value.c_str());
  } else {
    const DWORD lastError = GetLastError();
    logMessage("%s %s failed with error %d", what, value.c_str(), static_cast<int>(lastError));
  }
  _putenv(("PATH=" + value).c_str());
}

}  // namespace launcher
