// Fuzz targets discard log lines; formatting them still runs, so a bad
// format argument is caught by the sanitizers.
#include <cstdarg>
#include <cstdio>

#include "runtime/log.h"

namespace launcher {
namespace {
void format(const char* pattern, va_list arguments) {
  char line[256];
  std::vsnprintf(line, sizeof line, pattern, arguments);
}
}  // namespace
void logMessage(const char* pattern, ...) {
  va_list arguments;
  va_start(arguments, pattern);
  format(pattern, arguments);
  va_end(arguments);
}
void logError(const char* pattern, ...) {
  va_list arguments;
  va_start(arguments, pattern);
  format(pattern, arguments);
  va_end(arguments);
}
std::optional<std::string> getLogPath() { return std::nullopt; }
}  // namespace launcher
