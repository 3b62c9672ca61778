#include "runtime/log.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "runtime/log_state.h"
#include "runtime/runtime.h"

namespace launcher {

LogState g_log;

namespace {

bool isYes(const char* variable) {
  char value[8192];
  const DWORD length = GetEnvironmentVariableA(variable, value, sizeof value);
  return length > 0 && length < sizeof value && std::string_view(value, length) == "yes";
}

bool isDirectory(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A fresh "mqv_nlog_" name: in the directory named by TMP when it exists,
// else in c:\ when that exists, else in the current directory.
std::string chooseLogName() {
  std::string directory;
  char tmp[8192];
  const DWORD length = GetEnvironmentVariableA("TMP", tmp, sizeof tmp);
  if (length > 0 && length < sizeof tmp && isDirectory(tmp)) {
    directory = tmp;
  } else if (isDirectory("c:\\")) {
    directory = "c:\\";
  } else {
    char current[MAX_PATH * 4];
    const DWORD currentLength = GetCurrentDirectoryA(sizeof current, current);
    if (currentLength == 0 || currentLength >= sizeof current) return {};
    directory = current;
  }
  if (!directory.empty() && directory.back() != '\\' && directory.back() != '/') directory += '\\';
  const unsigned long pid = GetCurrentProcessId();
  for (unsigned attempt = 0; attempt < 1000; ++attempt) {
    char name[64];
    std::snprintf(name, sizeof name, "mqv_nlog_%lx_%lx", pid, (GetTickCount() + attempt) & 0xFFFFul);
    std::string candidate = directory + name;
    if (GetFileAttributesA(candidate.c_str()) == INVALID_FILE_ATTRIBUTES) return candidate;
  }
  return {};
}

void deleteLogAtExit() {
  if (!g_log.pathHandedOut && g_log.path) DeleteFileA(g_log.path->c_str());
}

void writeHeader() {
  char module[8192];
  const DWORD length = GetModuleFileNameA(nullptr, module, sizeof module);
  if (length == 0 || length >= sizeof module) module[0] = '\0';
  const std::time_t now = std::time(nullptr);
  const char* when = std::ctime(&now);
  std::fprintf(g_log.file, "Started executable %s at %s\n", module, when ? when : "\n");
  std::fflush(g_log.file);
}

// Runs at the start of every log call, under the lock.
void openLog() {
  if (g_log.path && !g_log.file) g_log.file = std::fopen(g_log.path->c_str(), "a");
  if (g_log.initialised) return;
  g_log.initialised = true;

  const bool wanted = g_log.createRequested | isYes("VELKOR_LOG") | isYes("MORVANE_LOG");
  if (!wanted) {
    if (g_runtime.kind != LauncherKind::Setup) return;
    std::atexit(deleteLogAtExit);
  }
  std::string name = chooseLogName();
  if (!name.empty()) {
    g_log.path = name;
    g_log.file = std::fopen(name.c_str(), "w");
  }
  if (!g_log.file) {
    g_log.path = "c:\\mqv_nlog";
    g_log.file = std::fopen(g_log.path->c_str(), "w");
  }
  if (g_log.file) writeHeader();
}

void writeLine(const char* prefix, const char* format, va_list arguments) {
  std::lock_guard<std::mutex> lock(g_log.mutex);
  openLog();
  if (!g_log.file) return;
  if (prefix) std::fputs(prefix, g_log.file);
  std::vfprintf(g_log.file, format, arguments);
  std::fputc('\n', g_log.file);
  std::fclose(g_log.file);
  g_log.file = nullptr;
}

}  // namespace

void logMessage(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  writeLine(nullptr, format, arguments);
  va_end(arguments);
}

void logError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  writeLine("ERROR: ", format, arguments);
  va_end(arguments);
}

std::optional<std::string> getLogPath() {
  std::lock_guard<std::mutex> lock(g_log.mutex);
  g_log.pathHandedOut = true;
  return g_log.path;
}

}  // namespace launcher
