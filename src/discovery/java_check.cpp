#include "discovery/java_check.h"

#include <windows.h>

#include <cstdio>

#include "config/settings.h"
#include "discovery/registry.h"
#include "discovery/version_rules.h"
#include "runtime/handles.h"
#include "runtime/log.h"
#include "runtime/paths.h"

namespace launcher {

CandidateCheckState g_candidateCheck;

namespace {
constexpr DWORD kProbeTimeoutMs = 60000;
}

bool javaExeForHome(std::string& javaExe, const std::string& home) {
  javaExe = home + "\\jre\\bin\\java.exe";
  if (getIntSetting(setting::RequireJdk) != 0) return pathExists(home + "\\lib\\tools.jar");
  if (!pathExists(javaExe)) javaExe = home + "\\bin\\java.exe";
  return true;
}

bool probeJavaVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version) {
  char shortPath[8192];
  const DWORD shortLength = GetShortPathNameA(javaExe.c_str(), shortPath, sizeof shortPath);
  // Without a short form the path is quoted, so that blanks in it survive.
  std::string commandLine = shortLength > 0 && shortLength < sizeof shortPath ? std::string(shortPath, shortLength)
                                                                               : "\"" + javaExe + "\"";
  commandLine += " -version";

  const std::string outputFile = makeTempFileName();
  UniqueHandle<KernelObjectTraits> childError;
  {
    FileHandle created(CreateFileA(outputFile.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (created)
      DuplicateHandle(GetCurrentProcess(), created.get(), GetCurrentProcess(), childError.receive(), 0, TRUE,
                      DUPLICATE_SAME_ACCESS);
  }

  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  startup.hStdError = childError.get();
  PROCESS_INFORMATION child{};
  if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                      &startup, &child)) {
    const DWORD lastError = GetLastError();
    logMessage("Could not create process %s > %s (error %d)", commandLine.c_str(), outputFile.c_str(),
               static_cast<int>(lastError));
    childError.reset();
    DeleteFileA(outputFile.c_str());
    return false;
  }
  ProcessHandle process(child.hProcess);
  ThreadHandle thread(child.hThread);

  WaitForSingleObject(process.get(), kProbeTimeoutMs);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.get(), &exitCode);
  logMessage("Exit Code %d", static_cast<int>(exitCode));
  if (exitCode == STILL_ACTIVE) {
    logMessage("Terminating process");
    TerminateProcess(process.get(), 1);
    // Its handle on the output file must be gone before the file is deleted.
    WaitForSingleObject(process.get(), 5000);
  } else if (exitCode != 0) {
    writeCachedVersion(javaExe, lastWriteTime, "1.0.0");
  }
  process.reset();
  thread.reset();
  childError.reset();

  bool found = false;
  if (exitCode == 0) {
    if (std::FILE* output = std::fopen(outputFile.c_str(), "r")) {
      char line[100];
      if (std::fgets(line, sizeof line, output)) {
        if (std::optional<std::string> parsed = versionFromFirstLine(line)) {
          version = *parsed;
          logMessage("Java version: %s", version.c_str());
          found = true;
        }
      }
      std::fclose(output);
    }
  }
  DeleteFileA(outputFile.c_str());
  return found;
}

bool checkJavaExe(std::string& javaExe, std::string& version, const std::string& minimum, const std::string& maximum,
                  bool allowPreRelease) {
  logMessage("checkJavaExe (%s, [out], %s, %s, %d)", javaExe.c_str(), minimum.c_str(), maximum.c_str(),
             allowPreRelease ? 1 : 0);
  javaExe = makeAbsolute(javaExe, false);
  const bool preReleasesAllowed = allowPreRelease || getIntSetting(setting::AllowPreRelease) != 0;
  auto inRange = [&](const std::string& found) {
    if (!preReleasesAllowed && isPreRelease(found)) {
      logMessage("beta vm not allowed");
      return false;
    }
    return versionInRange(found, minimum, maximum, preReleasesAllowed);
  };

  bool result = false;
  uint64_t lastWriteTime = 0;
  if (!findFile(javaExe, &lastWriteTime)) {
    logMessage("file doesn't exist");
  } else {
    logMessage("file exists");
    version.clear();
    if (g_candidateCheck.cacheAllowed && readCachedVersion(javaExe, lastWriteTime, version)) {
      logMessage("got version from registry %s", version.c_str());
      result = inRange(version);
    } else if (probeJavaVersion(javaExe, lastWriteTime, version)) {
      logMessage("got version from execution %s", version.c_str());
      writeCachedVersion(javaExe, lastWriteTime, version);
      result = inRange(version);
    } else {
      logMessage("couldn't get version");
    }
  }

  if (result && getIntSetting(setting::ExecutableKind) == 1 && javaExe.size() >= 4) {
    javaExe = javaExe.substr(0, javaExe.size() - 4) + "w.exe";
    result = pathExists(javaExe);
  }
  logMessage("checkJavaExe returning %d", result ? 1 : 0);
  return result;
}

bool checkCandidate(std::string& javaExe, const std::string& minimum, const std::string& maximum,
                    bool allowPreRelease, bool useCache) {
  g_candidateCheck.cacheAllowed = useCache;
  std::string version;
  const bool accepted = checkJavaExe(javaExe, version, minimum, maximum, allowPreRelease);
  g_candidateCheck.cacheAllowed = true;
  return accepted;
}

}  // namespace launcher
