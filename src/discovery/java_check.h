// Judging one candidate runtime: its java executable, its version (from the
// version cache or by running it with -version) and the bounds.
#pragma once

#include <cstdint>
#include <string>

namespace launcher {

struct CandidateCheckState {
  // While on, a version may come from the version cache. Only checkCandidate
  // turns it off, for the length of one call.
  bool cacheAllowed = true;
};

extern CandidateCheckState g_candidateCheck;

// home\jre\bin\java.exe when it exists (a JDK), else home\bin\java.exe. With a
// JDK required, the home must hold lib\tools.jar.
bool javaExeForHome(std::string& javaExe, const std::string& home);

// Resolves javaExe (absolute, lower case), learns its version and applies the
// bounds; switches to javaw.exe for a GUI application.
bool checkJavaExe(std::string& javaExe, std::string& version, const std::string& minimum, const std::string& maximum,
                  bool allowPreRelease);

bool checkCandidate(std::string& javaExe, const std::string& minimum, const std::string& maximum,
                    bool allowPreRelease, bool useCache);

// Runs the executable with -version in a hidden child, at most 60 seconds.
bool probeJavaVersion(const std::string& javaExe, uint64_t lastWriteTime, std::string& version);

}  // namespace launcher
