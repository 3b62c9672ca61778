#include "support/temp_directory.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>

#include "runtime/path_rules.h"

namespace launcher::testing {

namespace {
std::optional<std::string> readEnvironment(const std::string& name) {
  char value[32768];
  SetLastError(ERROR_SUCCESS);
  const DWORD length = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
  if (length == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
  return std::string(value, length);
}
}  // namespace

TempDirectory::TempDirectory() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    char name[MAX_PATH * 2];
    std::snprintf(name, sizeof name, "%swintest_%lu_%u", base, GetCurrentProcessId(), counter++);
    if (CreateDirectoryA(name, nullptr)) {
      path_ = name;
      break;
    }
  }
}

TempDirectory::~TempDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

void TempDirectory::write(const std::string& relative, const std::string& bytes) const {
  const std::string full = file(relative);
  std::filesystem::create_directories(std::filesystem::path(directoryOf(full)));
  std::FILE* out = std::fopen(full.c_str(), "wb");
  if (!out) return;
  std::fwrite(bytes.data(), 1, bytes.size(), out);
  std::fclose(out);
}

std::string TempDirectory::read(const std::string& relative) const {
  std::FILE* in = std::fopen(file(relative).c_str(), "rb");
  if (!in) return {};
  std::string content;
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) content.append(buffer, n);
  std::fclose(in);
  return content;
}

void TempDirectory::makeDirectory(const std::string& relative) const {
  std::filesystem::create_directories(std::filesystem::path(file(relative)));
}

ProcessStateGuard::ProcessStateGuard()
    : settings_(g_settings), paths_(g_paths), runtime_(g_runtime), errors_(g_errorDisplay), jvm_(g_jvmLibrary) {}

ProcessStateGuard::~ProcessStateGuard() {
  g_settings = settings_;
  g_paths = paths_;
  g_runtime = runtime_;
  g_errorDisplay = errors_;
  g_jvmLibrary = jvm_;
  for (const auto& [name, value] : savedEnvironment_)
    SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
}

void ProcessStateGuard::setEnvironment(const std::string& name, const std::optional<std::string>& value) {
  if (!savedEnvironment_.count(name)) savedEnvironment_[name] = readEnvironment(name);
  SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
}

void ProcessStateGuard::setExecutable(const std::string& exePath) {
  g_paths.exePath = exePath;
  g_paths.exeDirectory.reset();
}

}  // namespace launcher::testing
