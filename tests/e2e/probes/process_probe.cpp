// Reports how it was started, so that the harness's own tests can check what a
// launcher started through it would see: the exact command line, the working
// directory, the user locale and the whole environment, one item a line in
// UTF-8. Environment variables ask it for more:
//   PROBE_STDERR=<text>  writes the text and a line feed to standard error
//   PROBE_BULK=<n>       writes n lines to standard output and to standard
//                        error, alternating, to fill both pipes at once
//   PROBE_BOXES=1        shows the fixed message boxes of boxFixtures()
//   PROBE_SLEEP_MS=<n>   sleeps before ending
//   PROBE_EXIT=<n>       ends with this exit code (default 0)
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
  result.pop_back();
  return result;
}

const wchar_t* variable(const wchar_t* name) { return _wgetenv(name); }

unsigned long number(const wchar_t* name, unsigned long otherwise) {
  const wchar_t* text = variable(name);
  return text ? std::wcstoul(text, nullptr, 10) : otherwise;
}

// The harness's tests expect exactly these calls, in this order.
void showBoxFixtures() {
  MessageBoxW(nullptr, L"Hello \u00e4 world\n\nLog: C:\\x \"q\"\t\u20ac \U0001F600", L"Title \u20ac",
              MB_OK | MB_ICONERROR);
  // \xe4 and \x80 are a-umlaut and the euro sign in code page 1252.
  MessageBoxA(nullptr, "narrow \xe4 \x80\r\n", "", MB_YESNO);
  std::wstring longText(400, L'a');
  MessageBoxW(nullptr, longText.c_str(), nullptr, MB_OK);
  MessageBoxExW(nullptr, L"ex", L"ex title", MB_ICONWARNING, 0);
  MSGBOXPARAMSW parameters{};
  parameters.cbSize = sizeof parameters;
  parameters.lpszText = L"indirect";
  parameters.lpszCaption = L"indirect title";
  parameters.dwStyle = MB_ICONINFORMATION;
  MessageBoxIndirectW(&parameters);
}

}  // namespace

int wmain() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);

  std::printf("command_line=%s\n", utf8(GetCommandLineW()).c_str());
  wchar_t directory[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, directory);
  std::printf("directory=%s\n", utf8(directory).c_str());
  std::printf("locale=%lu\n", static_cast<unsigned long>(GetUserDefaultLCID()));
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry; entry += std::wcslen(entry) + 1)
      std::printf("env %s\n", utf8(entry).c_str());
    FreeEnvironmentStringsW(block);
  }
  std::fflush(stdout);

  if (const wchar_t* text = variable(L"PROBE_STDERR")) {
    std::fprintf(stderr, "%s\n", utf8(text).c_str());
    std::fflush(stderr);
  }
  const unsigned long bulkLines = number(L"PROBE_BULK", 0);
  for (unsigned long line = 0; line < bulkLines; ++line) {
    std::fprintf(stdout, "out %lu ................................................................\n", line);
    std::fprintf(stderr, "err %lu ................................................................\n", line);
  }
  std::fflush(stdout);
  std::fflush(stderr);
  if (variable(L"PROBE_BOXES")) showBoxFixtures();
  Sleep(number(L"PROBE_SLEEP_MS", 0));
  return static_cast<int>(number(L"PROBE_EXIT", 0));
}
