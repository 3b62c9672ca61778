// Fixtures for the in-process tests: a scratch directory on disk and a guard
// that gives each test a clean copy of the process-wide records it touches.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "config/settings.h"
#include "discovery/jvm_library.h"
#include "runtime/errors.h"
#include "runtime/paths.h"
#include "runtime/runtime.h"

namespace launcher::testing {

class TempDirectory {
 public:
  TempDirectory();
  ~TempDirectory();
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;

  // The directory, without a trailing backslash.
  const std::string& path() const { return path_; }
  std::string file(const std::string& relative) const { return path_ + "\\" + relative; }
  // Writes bytes as they are (binary), creating missing parent directories.
  void write(const std::string& relative, const std::string& bytes) const;
  std::string read(const std::string& relative) const;
  void makeDirectory(const std::string& relative) const;

 private:
  std::string path_;
};

// Restores the settings store, the path, runtime, error-display and JVM
// records and the environment variables it was told about.
class ProcessStateGuard {
 public:
  ProcessStateGuard();
  ~ProcessStateGuard();
  // Sets (or with nullopt removes) a variable for the test's duration.
  void setEnvironment(const std::string& name, const std::optional<std::string>& value);
  // Makes the executable path, and so the executable's directory, this path.
  void setExecutable(const std::string& exePath);

 private:
  SettingsStore settings_;
  PathState paths_;
  RuntimeState runtime_;
  ErrorDisplayState errors_;
  JvmLibraryState jvm_;
  std::map<std::string, std::optional<std::string>> savedEnvironment_;
};

}  // namespace launcher::testing
