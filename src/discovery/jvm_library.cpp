#include "discovery/jvm_library.h"

#include <windows.h>

#include <cstdlib>

#include "config/settings.h"
#include "discovery/java_check.h"
#include "discovery/search.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "windows/JavaVMLauncher.h"

namespace launcher {

JvmLibraryState g_jvmLibrary;

namespace {

// The java executable's path without its file name, which counts as
// "javaw.exe" when the path ends in it and as "java.exe" otherwise.
std::string withoutExecutableName(const std::string& javaExe) {
  const bool javaw = javaExe.size() >= 9 && javaExe.compare(javaExe.size() - 9, 9, "javaw.exe") == 0;
  const std::size_t nameLength = javaw ? 9 : 8;
  return javaExe.substr(0, javaExe.size() >= nameLength ? javaExe.size() - nameLength : 0);
}


HMODULE loadJvmLibraryFrom(const std::string& binDirectory, const std::string& type) {
  const std::string path = binDirectory + "\\" + type + "\\jvm.dll";
  const bool exists = pathExists(path);
  logMessage("Trying %s (exists %d)", path.c_str(), exists ? 1 : 0);
  HMODULE handle = LoadLibraryA(path.c_str());
  if (!handle && exists) {
    const DWORD lastError = GetLastError();
    logMessage("Failed with error code %d", static_cast<int>(lastError));
  }
  return handle;
}

// The library stays loaded for the life of the process: the JVM runs in it.
HMODULE loadJvmLibrary(const std::string& javaExe) {
  std::string binDirectory = withoutExecutableName(javaExe);
  if (!binDirectory.empty() && binDirectory.back() == '\\') binDirectory.pop_back();
  // The whole PATH is kept, however long: cutting it here would lose the
  // user's directories for the JVM and every child process.
  const std::string oldPath = readEnvironment("PATH");
  setPathVariable(oldPath + ";" + binDirectory, "Setting PATH");

  HMODULE handle = nullptr;
  const std::string preferred = getSetting(setting::PreferredVmType, 200);
  if (!preferred.empty()) handle = loadJvmLibraryFrom(binDirectory, preferred);
  for (const char* type : {"hotspot", "client", "server", "classic", "jrockit"}) {
    if (handle) break;
    handle = loadJvmLibraryFrom(binDirectory, type);
  }
  if (!handle) setPathVariable(oldPath, "Setting PATH");
  return handle;
}

void setJvmHome(const std::string& javaExe) { g_jvmLibrary.home = withoutExecutableName(javaExe) + ".."; }

bool lookupCreateJavaVm(HMODULE handle) {
  if (!handle) return false;
  FARPROC entry = GetProcAddress(handle, "JNI_CreateJavaVM");
  if (!entry) return false;
  setCreateEntry(reinterpret_cast<CreateJavaVmFunction>(reinterpret_cast<void*>(entry)));
  return true;
}

}  // namespace

bool LoadDLL(bool showErrors, const char* location, bool isJavaExe) {
  logMessage("LoadDLL (%d, %s, %d)", showErrors ? 1 : 0, location ? location : "(null)", isJavaExe ? 1 : 0);
  std::string javaExe;
  std::string locationText;
  int kind = kNothingFound;
  if (location) {
    logMessage("Got JRE location %s (java exe: %d)", location, isJavaExe ? 1 : 0);
    const std::string minimum = getSetting(setting::MinimumVersion);
    const std::string maximum = getSetting(setting::MaximumVersion);
    logMessage("MinVersion: %s, MaxVersion: %s", minimum.c_str(), maximum.c_str());
    javaExe = location;
    const bool accepted = isJavaExe ? checkCandidate(javaExe, minimum, maximum, true, false)
                                    : testJvmDirectory(javaExe, location, minimum, maximum, true);
    if (!accepted) {
      logError("Provided JVM unusable");
      if (showErrors) showMessage(message::NoJvmFound, "64");
      return false;
    }
    locationText = location;
    kind = kJavaHomeDirectory;
  } else {
    kind = searchJvm(javaExe, locationText);
    if (kind == kNothingFound) {
      logError("No JVM found");
      if (showErrors) showMessage(message::NoJvmFound, "64");
      return false;
    }
  }

  logMessage("Trying to load JVM-DLL from %s", javaExe.c_str());
  HMODULE handle = loadJvmLibrary(javaExe);
  if (!handle) handle = loadJvmLibrary(withoutExecutableName(javaExe) + "..\\jre\\bin\\java.exe");
  setJvmHome(javaExe);
  if (!handle) logError("Could not get DLL-Handle.");
  if (lookupCreateJavaVm(handle)) {
    logMessage("Loading of JVM-DLL successful");
    return true;
  }
  logError("Could not load functions");
  if (showErrors) {
    switch (kind) {
      case kSearchPath: showMessage(message::NoJvmFound, "64"); break;
      case kEnvironmentVariable: showMessage(message::VariableJvmBroken, locationText); break;
      case kJavaHomeDirectory: showMessage(message::JvmDamaged, locationText); break;
      default: showMessage(message::JvmNotStarted); break;
    }
  }
  return false;
}

}  // namespace launcher
