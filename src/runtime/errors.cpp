#include "runtime/errors.h"

#include <windows.h>

#include <cstdio>

#include "app/splash.h"
#include "runtime/log.h"
#include "runtime/text.h"

namespace launcher {

ErrorDisplayState g_errorDisplay;

void setErrorOwnerWindow(void* window) { g_errorDisplay.ownerWindow = window; }

void useConsoleErrors() { g_errorDisplay.messageBoxes = false; }

std::string substituteArgument(std::string_view message, const std::optional<std::string_view>& argument) {
  std::string text(message.substr(0, kTextBufferSize - 1));
  if (!argument) return text;
  const std::size_t at = text.find("{0}");
  if (at == std::string::npos) return text;
  text.replace(at, 3, *argument);
  if (text.size() > kTextBufferSize - 1) text.resize(kTextBufferSize - 1);
  return text;
}

std::string withLogSuffix(std::string_view text, const std::optional<std::string>& longLogPath) {
  std::string shown(text);
  if (longLogPath) shown += "\n\nLog: " + *longLogPath;
  if (shown.size() > kTextBufferSize - 1) shown.resize(kTextBufferSize - 1);
  return shown;
}

namespace {

std::optional<std::string> longLogPath() {
  std::optional<std::string> path = getLogPath();
  if (!path) return path;
  char longPath[8192];
  const DWORD length = GetLongPathNameA(path->c_str(), longPath, sizeof longPath);
  if (length > 0 && length < sizeof longPath) return std::string(longPath, length);
  return path;
}

// Standard error takes the text in the console's code page, or the ANSI code
// page when there is no console.
void writeWideToStandardError(WideStringView text) {
  UINT codePage = GetConsoleOutputCP();
  if (codePage == 0) codePage = CP_ACP;
  std::string bytes = narrowFromWide(text, codePage);
  std::fprintf(stderr, "%s\n", bytes.c_str());
  std::fflush(stderr);
}

}  // namespace

void showError(std::string_view text) {
  controlSplash(0);
  const std::string shown = withLogSuffix(text, longLogPath());
  if (g_errorDisplay.messageBoxes) {
    const WideString title = wideFromNarrow(getSetting(message::ErrorTitle), CP_ACP);
    const WideString body = wideFromNarrow(shown, CP_ACP);
    MessageBoxW(static_cast<HWND>(g_errorDisplay.ownerWindow), wptr(body), wptr(title), MB_OK | MB_ICONERROR);
  } else {
    std::fprintf(stderr, "%s\n", shown.c_str());
    std::fflush(stderr);
  }
}

void showMessage(int32_t id, std::optional<std::string_view> argument) {
  showError(substituteArgument(getSetting(id), argument));
}

void fatalError(std::string_view text) {
  showError(text);
  ExitProcess(1);
}

void fatalMessage(int32_t id, std::optional<std::string_view> argument) {
  showMessage(id, argument);
  ExitProcess(1);
}

void showWideError(WideStringView text) {
  controlSplash(0);
  WideString shown(text);
  if (auto path = longLogPath()) shown += u"\n\nLog: " + wideFromNarrow(*path);
  if (shown.size() > kTextBufferSize - 1) shown.resize(kTextBufferSize - 1);
  if (g_errorDisplay.messageBoxes) {
    const WideString title = getWideSetting(wide_text::SetupTitle);
    MessageBoxW(static_cast<HWND>(g_errorDisplay.ownerWindow), wptr(shown), wptr(title), MB_OK | MB_ICONERROR);
  } else {
    writeWideToStandardError(shown);
  }
}

void fatalWideMessage(int32_t id) {
  showWideError(getWideSetting(id));
  ExitProcess(1);
}

void exitQuietly(int exitCode) { ExitProcess(static_cast<UINT>(exitCode)); }

}  // namespace launcher
