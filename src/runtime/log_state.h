#pragma once

#include <cstdio>
#include <mutex>
#include <optional>
#include <string>

namespace launcher {

struct LogState {
  // Chosen by the first log call; none for good in an application launcher
  // whose log is off.
  std::optional<std::string> path;
  // Open only during a log call and for the header.
  std::FILE* file = nullptr;
  bool initialised = false;
  // The first argument asked for the log (set by initRuntime).
  bool createRequested = false;
  // getLogPath was called: the file is never deleted.
  bool pathHandedOut = false;
  // One open-write-close sequence at a time.
  std::mutex mutex;
};

extern LogState g_log;

}  // namespace launcher
