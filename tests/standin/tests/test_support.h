// What the stand-in runtime's tests share: the staged trees, scratch
// directories, child processes started the way the launchers start them, and
// a look inside PE files.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace standin::testing {

// The build's staged runtimes (standin\jre, standin\jdk, standin\jre32).
std::wstring stageDirectory();
// A program built beside the test executable.
std::wstring besideTests(std::wstring_view fileName);

// A fresh directory under the temporary directory, removed with everything
// in it when the object goes.
class TempDirectory {
 public:
  explicit TempDirectory(std::wstring_view nameHint = L"standin");
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

bool fileExists(const std::wstring& path);
// Creates missing parent directories.
bool writeFile(const std::wstring& path, std::string_view bytes);
std::string readFile(const std::wstring& path);  // empty when missing
// Lines split on '\n' without the separators; a final empty piece is dropped.
std::vector<std::string> splitLines(std::string_view text);
bool copyFileCreatingDirectories(const std::wstring& from, const std::wstring& to);
bool copyTree(const std::wstring& from, const std::wstring& to);
void removeTree(const std::wstring& path);

struct ProcessResult {
  bool started = false;
  DWORD error = 0;  // GetLastError when it did not start
  bool timedOut = false;
  DWORD exitCode = 0;
};

// Starts a child hidden, with inherited handles, no standard input and its
// output and error written to the given files (none when a path is empty),
// waits up to timeoutMs and terminates it after that.
ProcessResult runProcess(const std::wstring& application, const std::wstring& commandLine,
                         const std::wstring& outputPath, const std::wstring& errorPath, DWORD timeoutMs = 30000);

// The facts about a PE file that the launchers depend on.
struct PeFacts {
  bool valid = false;
  WORD machine = 0;  // IMAGE_FILE_MACHINE_AMD64 or IMAGE_FILE_MACHINE_I386
  bool isDll = false;
  std::vector<std::string> exports;
};
PeFacts inspectPe(const std::wstring& path);

// Runs the action with standard error going to a file and returns what it wrote.
std::string captureStandardError(const std::wstring& file, const std::function<void()>& action);

}  // namespace standin::testing
