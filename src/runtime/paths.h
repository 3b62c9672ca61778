// Path operations on narrow paths in the file code page: the executable's own
// path, configured paths resolved against its directory, temporary
// directories and names, path lists and directory listings.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace launcher {

struct PathState {
  // Computed once on first use.
  std::optional<std::string> exePath;
  std::optional<std::string> exeDirectory;  // ends with a backslash
  // Set by createLauncherTempDirectory; empty until then.
  std::string launcherTempDirectory;
};

extern PathState g_paths;

const std::string& getExePath();
// The full path of the executable cut after its last backslash.
const std::string& getExeDirectory();

void collapseBackslashes(std::string& path);
void lowerCasePath(std::string& path);

bool pathExists(const std::string& path);
// Looks for the path (wildcards allowed); the first match's last-write time
// (a FILETIME as 64 bits) when asked.
bool findFile(const std::string& path, uint64_t* lastWriteTime = nullptr);

// A relative path against baseFile's directory, or the executable's.
std::string resolveAgainst(const std::string& path, const std::string* baseFile = nullptr);
// resolveAgainst the executable's directory, then the system's full path
// (removing . and ..); lower case unless keepCase.
std::string makeAbsolute(const std::string& path, bool keepCase);

bool isWritableDirectory(const std::string& directory);
// A usable temporary directory ending with a backslash; ends the process
// with message 1015 when there is none.
std::string getTempDirectory();
std::string makeTempFileName();
std::string getProcessCommFileName(unsigned long processId);
std::string resolvePathList(const std::string& list);
// Names matching directory\*.extension in the file system's order.
std::vector<std::string> listDirectory(const std::string& directory, const std::string& extension);
void createLauncherTempDirectory();
// An environment variable's value whatever its length; empty when unset.
std::string readEnvironment(const char* name);
// Sets PATH for the process and for the C library's copy of the environment,
// logging "<what> <value>" or the failure with its error code.
void setPathVariable(const std::string& value, const char* what);
void addNativeLibraryPath();

}  // namespace launcher
