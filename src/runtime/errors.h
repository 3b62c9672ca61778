// Error reporting: every condition that stops a launch is shown here, as a
// message box or on standard error, with the log file's path appended, and
// the fatal forms end the process at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "config/settings.h"

namespace launcher {

struct ErrorDisplayState {
  // Off: errors go to standard error. Only ever switched off.
  bool messageBoxes = true;
  // Owner of the message boxes (an HWND); none gives boxes without owner.
  void* ownerWindow = nullptr;
};

extern ErrorDisplayState g_errorDisplay;

void setErrorOwnerWindow(void* window);
void useConsoleErrors();

// message with the first "{0}" replaced by argument; further ones stay.
std::string substituteArgument(std::string_view message, const std::optional<std::string_view>& argument);
// text, then "\n\nLog: " and the log path when there is one.
std::string withLogSuffix(std::string_view text, const std::optional<std::string>& longLogPath);

void showError(std::string_view text);
void showMessage(int32_t id, std::optional<std::string_view> argument = std::nullopt);
[[noreturn]] void fatalError(std::string_view text);
[[noreturn]] void fatalMessage(int32_t id, std::optional<std::string_view> argument = std::nullopt);
void showWideError(WideStringView text);
[[noreturn]] void fatalWideMessage(int32_t id);
[[noreturn]] void exitQuietly(int exitCode);

}  // namespace launcher
