#include "support/discovery_fixtures.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "discovery/registry.h"
#include "runtime/log_state.h"
#include "runtime/paths.h"
#include "standin_location.h"

namespace launcher::testing {

std::string copyRuntime(const TempDirectory& directory, const std::string& name, const std::string& relative) {
  const std::string target = directory.file(relative);
  std::filesystem::create_directories(target);
  std::filesystem::copy(std::string(STANDIN_DIR) + "\\" + name, target, std::filesystem::copy_options::recursive);
  return target;
}

std::string prepareRuntime(const TempDirectory& directory, RegistryCleanup& registry, const std::string& name,
                           const std::string& relative, const std::string& version) {
  const std::string home = copyRuntime(directory, name, relative);
  scriptJava(home + "\\bin", "version_line=java version \"" + version + "\"\n");
  registry.remove(HKEY_CURRENT_USER, "SOFTWARE\\orbenta\\velkor\\jvms\\" + pathKey(resolvedJavaExe(home)));
  return home;
}

std::string lowerCased(std::string path) {
  lowerCasePath(path);
  return path;
}

std::string resolvedJavaExe(const std::string& home) { return lowerCased(home + "\\bin\\java.exe"); }

int javaInvocations(const std::string& binDirectory) {
  std::ifstream in(binDirectory + "\\java-invocations.txt");
  int count = 0;
  std::string line;
  while (std::getline(in, line)) ++count;
  return count;
}

void scriptJava(const std::string& binDirectory, const std::string& script) {
  std::ofstream(binDirectory + "\\java-script.txt", std::ios::binary) << script;
}

void setLastWriteTime(const std::string& path, int offsetSeconds) {
  HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  ULARGE_INTEGER when;
  when.QuadPart = 0x01D9000000000000ull + static_cast<uint64_t>(offsetSeconds) * 10000000ull;
  FILETIME time{when.LowPart, when.HighPart};
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

LogCapture::LogCapture() {
  std::lock_guard<std::mutex> lock(g_log.mutex);
  g_log.path = directory_.file("log.txt");
  g_log.file = nullptr;
  g_log.initialised = true;
}

LogCapture::~LogCapture() {
  std::lock_guard<std::mutex> lock(g_log.mutex);
  g_log.path.reset();
  g_log.initialised = false;
}

std::string LogCapture::text() const { return directory_.read("log.txt"); }

std::vector<std::string> LogCapture::lines() const {
  std::vector<std::string> result;
  std::istringstream in(text());
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    result.push_back(line);
  }
  return result;
}

bool LogCapture::contains(const std::string& line) const {
  for (const std::string& logged : lines())
    if (logged == line) return true;
  return false;
}

RegistryCleanup::~RegistryCleanup() {
  for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) {
    RegDeleteTreeA(it->first, it->second.c_str());
    RegDeleteKeyA(it->first, it->second.c_str());
  }
}

void RegistryCleanup::remove(HKEY hive, const std::string& key) {
  RegDeleteTreeA(hive, key.c_str());
  RegDeleteKeyA(hive, key.c_str());
  keys_.emplace_back(hive, key);
}

void RegistryCleanup::createKey(HKEY hive, const std::string& key) {
  HKEY created = nullptr;
  if (RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr) == ERROR_SUCCESS)
    RegCloseKey(created);
  keys_.emplace_back(hive, key);
}

void RegistryCleanup::setString(HKEY hive, const std::string& key, const std::string& name, const std::string& value) {
  HKEY created = nullptr;
  if (RegCreateKeyExA(hive, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExA(created, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>(value.size() + 1));
  RegCloseKey(created);
  keys_.emplace_back(hive, key);
}

}  // namespace launcher::testing
