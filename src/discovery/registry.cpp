#include "discovery/registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "config/settings.h"
#include "discovery/java_check.h"
#include "discovery/version_rules.h"
#include "runtime/handles.h"
#include "runtime/log.h"

namespace launcher {

namespace {

constexpr const char* kJreKey = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
constexpr const char* kJdkKey = "SOFTWARE\\JavaSoft\\Java Development Kit";
constexpr const char* kLocatedKey = "SOFTWARE\\orbenta\\velkor\\locatedjvms\\";
constexpr const char* kCacheKey = "SOFTWARE\\orbenta\\velkor\\jvms\\";

// A REG_SZ value as text: the buffer may or may not hold a terminating zero.
std::string textOf(const char* buffer, DWORD size) {
  std::size_t length = size;
  const void* zero = std::memchr(buffer, '\0', length);
  if (zero) length = static_cast<std::size_t>(static_cast<const char*>(zero) - buffer);
  return std::string(buffer, length);
}

// The names of the key's subkeys in enumeration order.
std::vector<std::string> subkeyNames(HKEY key) {
  std::vector<std::string> names;
  for (DWORD index = 0;; ++index) {
    char name[8192];
    DWORD nameSize = sizeof name;
    const LONG status = RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_SUCCESS) names.emplace_back(name, nameSize);
    // A name too long for the buffer is passed over; any other failure ends
    // the enumeration.
    else if (status != ERROR_MORE_DATA) break;
  }
  return names;
}

bool readText(HKEY hive, const std::string& key, const std::string& name, std::size_t bufferSize, std::string& text) {
  std::vector<char> buffer(bufferSize, '\0');
  DWORD size = static_cast<DWORD>(bufferSize - 1);
  if (!readRegistryValue(hive, key, name, buffer.data(), size)) return false;
  text = textOf(buffer.data(), size);
  return true;
}

}  // namespace

std::string pathKey(std::string path) {
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool readRegistryValue(HKEY hive, const std::string& key, const std::string& name, void* buffer, DWORD& size) {
  RegistryKey opened;
  if (RegOpenKeyExA(hive, key.c_str(), 0, KEY_READ, opened.receive()) != ERROR_SUCCESS) return false;
  return RegQueryValueExA(opened.get(), name.c_str(), nullptr, nullptr, static_cast<BYTE*>(buffer), &size) ==
         ERROR_SUCCESS;
}

bool readCachedVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) {
  RegistryKey key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, (kCacheKey + pathKey(javaExe)).c_str(), 0, KEY_READ, key.receive()) !=
      ERROR_SUCCESS)
    return false;
  uint8_t stored[8];
  DWORD size = sizeof stored;
  if (RegQueryValueExA(key.get(), "LastWriteTime", nullptr, nullptr, stored, &size) != ERROR_SUCCESS || size != 8)
    return false;
  uint8_t current[8];
  for (int i = 0; i < 8; ++i) current[i] = static_cast<uint8_t>(lastWriteTime >> (8 * i));
  if (std::memcmp(stored, current, 8) != 0) return false;
  char buffer[8192];
  size = sizeof buffer - 1;
  if (RegQueryValueExA(key.get(), "Version", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) !=
      ERROR_SUCCESS)
    return false;
  version = textOf(buffer, size);
  return true;
}

void writeCachedVersion(const std::string& javaExe, uint64_t lastWriteTime, const std::string& version) {
  RegistryKey key;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, (kCacheKey + pathKey(javaExe)).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      KEY_ALL_ACCESS, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
    return;
  uint8_t bytes[8];
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<uint8_t>(lastWriteTime >> (8 * i));
  RegSetValueExA(key.get(), "LastWriteTime", 0, REG_BINARY, bytes, sizeof bytes);
  RegSetValueExA(key.get(), "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version.data()),
                 static_cast<DWORD>(version.size()));
}

void rememberLocatedJvm(const std::string& javaExe) {
  const std::string name = kLocatedKey + pathKey(javaExe);
  for (HKEY hive : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
    RegistryKey key;
    if (RegCreateKeyExA(hive, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        key.receive(), nullptr) == ERROR_SUCCESS)
      return;
  }
}

bool findLocatedJvm(HKEY hive, std::string& javaExe, std::string& version, const std::string& minimum,
                    const std::string& maximum) {
  version.clear();
  RegistryKey key;
  if (RegOpenKeyExA(hive, kLocatedKey, 0, KEY_READ, key.receive()) != ERROR_SUCCESS) return false;
  bool taken = false;
  for (std::string candidate : subkeyNames(key.get())) {
    std::replace(candidate.begin(), candidate.end(), '/', '\\');
    std::string candidateVersion;
    if (checkJavaExe(candidate, candidateVersion, minimum, maximum, true) && candidateVersion > version) {
      version = candidateVersion;
      javaExe = candidate;
      taken = true;
    }
  }
  return taken;
}

bool findJavaSoftCurrent(std::string& javaExe, std::string& version, const std::string& minimum,
                         const std::string& maximum) {
  std::string jdk;
  if (!readText(HKEY_LOCAL_MACHINE, kJdkKey, "CurrentVersion", 100, jdk) || !versionPrefixInRange(jdk, minimum, maximum))
    jdk.clear();
  std::string jre;
  if (getIntSetting(setting::RequireJdk) == 0) {
    if (!readText(HKEY_LOCAL_MACHINE, kJreKey, "CurrentVersion", 100, jre) ||
        !versionPrefixInRange(jre, minimum, maximum))
      jre.clear();
  }
  const std::string key = jdk > jre ? std::string(kJdkKey) + "\\" + jdk : std::string(kJreKey) + "\\" + jre;
  std::string home;
  if (!readText(HKEY_LOCAL_MACHINE, key, "JavaHome", 8192, home)) return false;
  if (!javaExeForHome(javaExe, home)) return false;
  return checkJavaExe(javaExe, version, minimum, maximum, false);
}

bool findJavaSoftSubkey(std::string& javaExe, std::string& version, const std::string& minimum,
                        const std::string& maximum, const std::string& productKey) {
  RegistryKey product;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, productKey.c_str(), 0, KEY_READ, product.receive()) != ERROR_SUCCESS)
    return false;
  std::vector<std::string> names;
  for (std::string& name : subkeyNames(product.get()))
    if (versionPrefixInRange(name, minimum, maximum)) names.push_back(std::move(name));
  std::sort(names.begin(), names.end());
  for (auto it = names.rbegin(); it != names.rend(); ++it) {
    std::string home;
    if (readText(HKEY_LOCAL_MACHINE, productKey + "\\" + *it, "JavaHome", 8192, home) &&
        javaExeForHome(javaExe, home) && checkJavaExe(javaExe, version, minimum, maximum, false))
      return true;
  }
  return false;
}

bool findJavaSoftJvm(std::string& javaExe, std::string& version, const std::string& minimum,
                     const std::string& maximum) {
  if (findJavaSoftCurrent(javaExe, version, minimum, maximum)) return true;
  if (getIntSetting(setting::RequireJdk) == 0 && findJavaSoftSubkey(javaExe, version, minimum, maximum, kJreKey))
    return true;
  return findJavaSoftSubkey(javaExe, version, minimum, maximum, kJdkKey);
}

bool findRegistryJvm(std::string& javaExe, const std::string& minimum, const std::string& maximum) {
  std::string javaSoftExe, javaSoftVersion;
  const bool javaSoft = findJavaSoftJvm(javaSoftExe, javaSoftVersion, minimum, maximum);

  std::string userExe, userVersion, machineExe, machineVersion;
  const bool user = findLocatedJvm(HKEY_CURRENT_USER, userExe, userVersion, minimum, maximum);
  const bool machine = findLocatedJvm(HKEY_LOCAL_MACHINE, machineExe, machineVersion, minimum, maximum);
  bool located = user || machine;
  std::string locatedExe, locatedVersion;
  if (user && machine) {
    const bool takeMachine = userVersion <= machineVersion;
    locatedExe = takeMachine ? machineExe : userExe;
    locatedVersion = takeMachine ? machineVersion : userVersion;
  } else if (located) {
    locatedExe = user ? userExe : machineExe;
    locatedVersion = user ? userVersion : machineVersion;
  }

  if (javaSoft) logMessage("found sun %s %s", javaSoftExe.c_str(), javaSoftVersion.c_str());
  if (located) logMessage("found located %s %s", locatedExe.c_str(), locatedVersion.c_str());
  if (!javaSoft && !located) return false;
  if (javaSoft && (!located || javaSoftVersion > locatedVersion)) javaExe = javaSoftExe;
  else javaExe = locatedExe;
  return true;
}

}  // namespace launcher
