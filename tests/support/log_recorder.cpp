#include "support/log_recorder.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

#include "runtime/log.h"

namespace launcher {
namespace {
std::mutex recorderMutex;
std::vector<std::string> lines;

void record(const char* prefix, const char* format, va_list arguments) {
  va_list copy;
  va_copy(copy, arguments);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string line(size > 0 ? static_cast<std::size_t>(size) : 0, '\0');
  if (size > 0) std::vsnprintf(line.data(), line.size() + 1, format, arguments);
  std::lock_guard<std::mutex> lock(recorderMutex);
  lines.push_back(prefix + line);
}
}  // namespace

void logMessage(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  record("", format, arguments);
  va_end(arguments);
}

void logError(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  record("ERROR: ", format, arguments);
  va_end(arguments);
}

std::optional<std::string> getLogPath() { return std::nullopt; }

namespace testing {
std::vector<std::string>& recordedLogLines() { return lines; }
void clearRecordedLog() {
  std::lock_guard<std::mutex> lock(recorderMutex);
  lines.clear();
}
}  // namespace testing
}  // namespace launcher
