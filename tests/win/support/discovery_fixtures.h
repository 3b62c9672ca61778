// Fixtures for discovery tests: stand-in runtimes copied into scratch
// directories, the log captured to a file, and registry keys that are removed
// again.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "support/temp_directory.h"

namespace launcher::testing {

// Copies the staged stand-in runtime `name` ("jre", "jdk", "jre32") to
// directory\relative and returns the copy's path.
std::string copyRuntime(const TempDirectory& directory, const std::string& name, const std::string& relative);

class RegistryCleanup;

// A stand-in runtime copied to directory\relative that answers -version with
// `java version "<version>"`, with no version cached for its java.exe yet.
std::string prepareRuntime(const TempDirectory& directory, RegistryCleanup& registry, const std::string& name,
                           const std::string& relative, const std::string& version);

// home\bin\java.exe as discovery resolves it: absolute and lower case.
std::string resolvedJavaExe(const std::string& home);

// The path as discovery turns it to lower case.
std::string lowerCased(std::string path);

// How often the stand-in java.exe in binDirectory was started.
int javaInvocations(const std::string& binDirectory);

// Writes the stand-in java.exe's script in binDirectory.
void scriptJava(const std::string& binDirectory, const std::string& script);

// Sets the file's last-write time to a fixed value plus offset seconds.
void setLastWriteTime(const std::string& path, int offsetSeconds);

// The log written to a file of its own for the test's duration.
class LogCapture {
 public:
  LogCapture();
  ~LogCapture();
  std::vector<std::string> lines() const;
  bool contains(const std::string& line) const;
  std::string text() const;
  std::string path() const { return directory_.file("log.txt"); }

 private:
  TempDirectory directory_;
};

// Registry keys created by a test, deleted again when it ends.
class RegistryCleanup {
 public:
  ~RegistryCleanup();
  void remove(HKEY hive, const std::string& key);
  void setString(HKEY hive, const std::string& key, const std::string& name, const std::string& value);
  void createKey(HKEY hive, const std::string& key);

 private:
  std::vector<std::pair<HKEY, std::string>> keys_;
};

}  // namespace launcher::testing
