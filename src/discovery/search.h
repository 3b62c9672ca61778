// The JVM search: the preferred location, the configured sequence, the
// installer location, a second pass for relative runtime directories,
// earlier installations and two fallback variables. The first candidate
// that passes wins.
#pragma once

#include <string>

namespace launcher {

// Location kinds: what kind of source yielded the runtime.
enum LocationKind : int {
  kNothingFound = 0,
  kSearchPath = 1,
  kJavaHomeDirectory = 2,
  kEnvironmentVariable = 3,
  kRegistry = 4,
};

// The accepted java executable and its location text (left alone for kinds 0
// and 4).
int searchJvm(std::string& javaExe, std::string& location);

bool testJvmDirectory(std::string& javaExe, const std::string& directory, const std::string& minimum,
                      const std::string& maximum, bool acceptWithoutCheck);
bool testJavaHomeVariable(std::string& javaExe, const std::string& name, const std::string& minimum,
                          const std::string& maximum);
bool searchPathForJava(std::string& javaExe, const std::string& minimum, const std::string& maximum);
bool readLocationFile(std::string& line, const std::string& fileName);

}  // namespace launcher
