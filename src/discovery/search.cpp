#include "discovery/search.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "config/settings.h"
#include "discovery/java_check.h"
#include "discovery/registry.h"
#include "discovery/unpack.h"
#include "discovery/version_rules.h"
#include "runtime/handles.h"
#include "runtime/log.h"
#include "runtime/path_rules.h"
#include "runtime/paths.h"
#include "windows/variables.h"

namespace launcher {

namespace {

constexpr const char* kInstallationsKey = "SOFTWARE\\orbenta\\morvane\\installations";

bool findPreviousInstallation(HKEY hive, std::string& javaExe, const std::string& minimum,
                              const std::string& maximum) {
  const std::string name = getSetting(setting::PreviousInstallations);
  if (name.empty()) return false;
  char value[8192];
  DWORD size = sizeof value - 1;
  if (!readRegistryValue(hive, kInstallationsKey, name, value, size) || size == 0) return false;
  value[size] = '\0';
  const std::string directories = value;
  logMessage("found installations: %s", directories.c_str());
  for (std::string_view directory : splitList(directories, ';')) {
    const std::string home = std::string(directory) + "\\jre";
    if (javaExeForHome(javaExe, home) && checkCandidate(javaExe, minimum, maximum, false, true)) return true;
  }
  return false;
}

}  // namespace

bool testJvmDirectory(std::string& javaExe, const std::string& directory, const std::string& minimum,
                      const std::string& maximum, bool acceptWithoutCheck) {
  const std::string resolved = makeAbsolute(directory, false);
  unpackJre(resolved);
  const bool found = javaExeForHome(javaExe, resolved);
  if (acceptWithoutCheck) return true;
  return found && checkCandidate(javaExe, minimum, maximum, true, true);
}

bool testJavaHomeVariable(std::string& javaExe, const std::string& name, const std::string& minimum,
                          const std::string& maximum) {
  char value[8192];
  const DWORD length = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
  if (length == 0 || length >= sizeof value) return false;
  std::string home(value, length);
  std::replace(home.begin(), home.end(), '/', '\\');
  return javaExeForHome(javaExe, home) && checkCandidate(javaExe, minimum, maximum, false, true);
}

bool searchPathForJava(std::string& javaExe, const std::string& minimum, const std::string& maximum) {
  char found[8192];
  char* filePart = nullptr;
  const DWORD length = SearchPathA(nullptr, "java.exe", nullptr, sizeof found, found, &filePart);
  if (length == 0 || length >= sizeof found) return false;
  javaExe.assign(found, length);
  return checkCandidate(javaExe, minimum, maximum, false, true);
}

bool readLocationFile(std::string& line, const std::string& fileName) {
  const std::string path = makeAbsolute(getSetting(setting::InstallationDirectory), true) + fileName;
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (!file) return false;
  char buffer[8192];
  const bool read = std::fgets(buffer, sizeof buffer, file) != nullptr;
  std::fclose(file);
  if (!read) return false;
  line = buffer;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
  return true;
}

int searchJvm(std::string& javaExe, std::string& location) {
  logMessage("Searching for a JVM");
  const std::string sequence = getSetting(setting::SearchSequence);
  const std::string minimum = getSetting(setting::MinimumVersion);
  const std::string maximum = getSetting(setting::MaximumVersion);

  std::string line;
  if (readLocationFile(line, "\\.morvane\\pref_jre.cfg")) {
    logMessage("Has preferred location %s", line.c_str());
    if (testJvmDirectory(javaExe, line, minimum, maximum, false)) {
      logMessage("Using preferred location");
      location = line;
      return kJavaHomeDirectory;
    }
  }

  const std::vector<SearchEntry> entries = parseSearchSequence(sequence);
  for (const SearchEntry& entry : entries) {
    std::string value = entry.value;
    expandVariables(value);
    logMessage("Testing location %s (type %c)", value.c_str(), entry.letter);
    switch (entry.letter) {
      case 'A':
      case 'B':
      case 'R':
        if (testJvmDirectory(javaExe, value, minimum, maximum, false)) {
          location = value;
          return kJavaHomeDirectory;
        }
        break;
      case 'E':
        if (testJavaHomeVariable(javaExe, value, minimum, maximum)) {
          location = value;
          return kEnvironmentVariable;
        }
        break;
      case 'S':
        if (searchPathForJava(javaExe, minimum, maximum)) {
          location = value;
          return kSearchPath;
        }
        break;
      case 'Y':
        if (findRegistryJvm(javaExe, minimum, maximum)) return kRegistry;
        break;
      default:
        break;
    }
  }

  if (readLocationFile(line, "\\.morvane\\inst_jre.cfg")) {
    logMessage("Has installer location %s", line.c_str());
    if (testJvmDirectory(javaExe, line, minimum, maximum, false)) {
      logMessage("Using installer location");
      location = line;
      return kJavaHomeDirectory;
    }
  }

  for (const SearchEntry& entry : entries) {
    const bool relativeDirectory =
        entry.letter == 'B' || ((entry.letter == 'A' || entry.letter == 'R') && !isAbsoluteSearchValue(entry.value));
    if (!relativeDirectory) continue;
    logMessage("Testing relative location %s", entry.value.c_str());
    testJvmDirectory(javaExe, entry.value, minimum, maximum, true);
    if (pathExists(javaExe)) {
      logMessage("%s exists", javaExe.c_str());
      location = entry.value;
      return kJavaHomeDirectory;
    }
  }

  if (findPreviousInstallation(HKEY_CURRENT_USER, javaExe, minimum, maximum)) {
    logMessage("found JRE from previous installation (user) %s", javaExe.c_str());
    return kRegistry;
  }
  if (findPreviousInstallation(HKEY_LOCAL_MACHINE, javaExe, minimum, maximum)) {
    logMessage("found JRE from previous installation (machine) %s", javaExe.c_str());
    return kRegistry;
  }
  logMessage("Search sequence finished");

  for (const char* variable : {"VELKOR_JAVA_HOME", "MORVANE_JAVA_HOME"}) {
    if (testJavaHomeVariable(javaExe, variable, minimum, maximum)) {
      location = variable;
      return kEnvironmentVariable;
    }
  }
  return kNothingFound;
}

}  // namespace launcher
