// Starts one Windows program exactly as a request file describes it and ends
// with its exit code. Programs started from Linux by Wine get TMP and TEMP
// from the Wine registry and a command line rebuilt from argv; a child
// created here inherits this process's environment as it is and receives the
// command line unchanged, so the end-to-end tests go through this program.
//
// Request file, UTF-8, one key=value per line, the value being the rest of
// the line as it stands:
//   application=<path of the program, or empty to let the command line name it>
//   command_line=<the exact command line>
//   directory=<working directory, or empty for this process's>
//   set=NAME=value    (repeatable, applied in file order)
//   unset=NAME        (repeatable, applied in file order)
//   timeout_ms=<n>    (default 120000)
// Exit code: the child's; 124 after a time-out; 125 when the request cannot
// be carried out. A child exit code above 255 does not survive Wine's
// conversion to a Linux exit status, so it is also printed to standard error
// as "runner: exit code <n>".
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr UINT kTimedOut = 124;
constexpr UINT kRequestFailed = 125;

void writeToStandardError(const std::string& text) {
  HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
  DWORD written = 0;
  if (error && error != INVALID_HANDLE_VALUE)
    WriteFile(error, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

[[noreturn]] void fail(const std::string& text) {
  writeToStandardError("runner: " + text + "\n");
  ExitProcess(kRequestFailed);
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                       nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
  return result;
}

std::wstring wide(const std::string& text) {
  if (text.empty()) return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0) fail("not UTF-8: " + text);
  std::wstring result(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()), result.data(), size);
  return result;
}

std::string readWholeFile(const wchar_t* path) {
  HANDLE file =
      CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    fail("cannot open request " + utf8(path) + ": error " + std::to_string(GetLastError()));
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
  CloseHandle(file);
  return bytes;
}

struct Request {
  std::wstring application;
  std::wstring commandLine;
  std::wstring directory;
  DWORD timeoutMs = 120000;
};

// Environment changes take effect while the request is read, so that set and
// unset lines apply in the order they are written.
Request applyRequest(const std::string& text) {
  Request request;
  bool haveCommandLine = false;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line.empty()) continue;

    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) fail("request line without '=': " + line);
    const std::string key = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (key == "application") {
      request.application = wide(value);
    } else if (key == "command_line") {
      request.commandLine = wide(value);
      haveCommandLine = true;
    } else if (key == "directory") {
      request.directory = wide(value);
    } else if (key == "set") {
      // Searching from the second character keeps names such as "=C:" whole.
      const std::size_t nameEnd = value.find('=', 1);
      if (value.empty() || nameEnd == std::string::npos) fail("set without NAME=value: " + value);
      if (!SetEnvironmentVariableW(wide(value.substr(0, nameEnd)).c_str(), wide(value.substr(nameEnd + 1)).c_str()))
        fail("cannot set " + value + ": error " + std::to_string(GetLastError()));
    } else if (key == "unset") {
      if (value.empty()) fail("unset without a name");
      SetEnvironmentVariableW(wide(value).c_str(), nullptr);
    } else if (key == "timeout_ms") {
      wchar_t* rest = nullptr;
      const std::wstring digits = wide(value);
      const unsigned long timeout = std::wcstoul(digits.c_str(), &rest, 10);
      if (digits.empty() || *rest != L'\0') fail("timeout_ms is not a number: " + value);
      request.timeoutMs = static_cast<DWORD>(timeout);
    } else {
      fail("unknown request key: " + key);
    }
  }
  if (!haveCommandLine) fail("the request has no command_line");
  return request;
}

HANDLE inheritable(DWORD which) {
  HANDLE handle = GetStdHandle(which);
  if (handle && handle != INVALID_HANDLE_VALUE) SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
  return handle;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) fail("usage: runner.exe <request file>");
  const Request request = applyRequest(readWholeFile(argv[1]));

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = inheritable(STD_INPUT_HANDLE);
  startup.hStdOutput = inheritable(STD_OUTPUT_HANDLE);
  startup.hStdError = inheritable(STD_ERROR_HANDLE);

  // CreateProcessW may write into the command line buffer.
  std::vector<wchar_t> commandLine(request.commandLine.begin(), request.commandLine.end());
  commandLine.push_back(L'\0');
  wchar_t* environment = GetEnvironmentStringsW();

  // The child starts suspended inside a job so that a time-out also ends the
  // processes it started in turn.
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(request.application.empty() ? nullptr : request.application.c_str(), commandLine.data(), nullptr,
                      nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT | CREATE_SUSPENDED, environment,
                      request.directory.empty() ? nullptr : request.directory.c_str(), &startup, &process))
    fail("cannot start " + utf8(request.application) + " with command line " + utf8(request.commandLine) +
         ": error " + std::to_string(GetLastError()));
  FreeEnvironmentStringsW(environment);
  const bool inJob = job && AssignProcessToJobObject(job, process.hProcess);
  ResumeThread(process.hThread);
  CloseHandle(process.hThread);

  if (WaitForSingleObject(process.hProcess, request.timeoutMs) == WAIT_TIMEOUT) {
    if (inJob) TerminateJobObject(job, kTimedOut);
    TerminateProcess(process.hProcess, kTimedOut);
    WaitForSingleObject(process.hProcess, 10000);
    writeToStandardError("runner: timed out\n");
    ExitProcess(kTimedOut);
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.hProcess, &exitCode);
  if (exitCode > 255) writeToStandardError("runner: exit code " + std::to_string(exitCode) + "\n");
  ExitProcess(exitCode);
}
