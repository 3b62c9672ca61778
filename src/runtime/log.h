// The diagnostic log. Every line is appended by opening, writing and closing
// the file, so the file is complete whenever the process ends. A call while
// there is no log does nothing.
#pragma once

#include <optional>
#include <string>

#if defined(__clang__) || !defined(_WIN32)
#define LAUNCHER_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define LAUNCHER_PRINTF(f, a) __attribute__((format(gnu_printf, f, a)))
#endif

namespace launcher {

void logMessage(const char* format, ...) LAUNCHER_PRINTF(1, 2);
// The same with the prefix "ERROR: ".
void logError(const char* format, ...) LAUNCHER_PRINTF(1, 2);

// The log file's path, none while there is no log file. A path that was
// handed out keeps the setup launcher from deleting the file at the end.
std::optional<std::string> getLogPath();

}  // namespace launcher
