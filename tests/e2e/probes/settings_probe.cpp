// Starts like a launcher up to the appended data block, then prints what the
// launchers' own code read from it. Tests stamp this program like a launcher,
// so what it prints is what a launcher with the same block works with.
//
// Output, one line each, on standard output in binary mode:
//   narrow <id>=<the stored bytes, unconverted>
//   wide <id>=<the text in UTF-8>
//   product <letter> <word>          (the letter is empty when setting 2001 is)
//   configuration_end <file offset>
// Texts are printed as they are: one with line feeds takes several lines.
// PROBE_KIND=setup makes it start as the setup launcher, which always logs.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/block_format.h"
#include "config/settings.h"
#include "runtime/runtime.h"
#include "windows/command_line_win.h"

using namespace launcher;

namespace {

std::string utf8(const WideString& text) {
  if (text.empty()) return {};
  const auto* units = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, units, length, nullptr, 0, nullptr, nullptr);
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, units, length, result.data(), size, nullptr, nullptr);
  return result;
}

}  // namespace

int main() {
  const char* kind = std::getenv("PROBE_KIND");
  g_runtime.kind = kind && std::strcmp(kind, "setup") == 0 ? LauncherKind::Setup : LauncherKind::Application;
  ArgumentVector arguments = splitProcessCommandLine();
  initRuntime(GetModuleHandleW(nullptr), arguments);

  _setmode(_fileno(stdout), _O_BINARY);
  for (const auto& [id, text] : g_settings.narrow) {
    std::printf("narrow %d=", static_cast<int>(id));
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::printf("\n");
  }
  for (const auto& [id, text] : g_settings.wide) std::printf("wide %d=%s\n", static_cast<int>(id), utf8(text).c_str());
  const std::string letter = g_runtime.productLetter ? std::string(1, g_runtime.productLetter) : std::string();
  std::printf("product %s %s\n", letter.c_str(), g_runtime.productWord.c_str());
  std::printf("configuration_end %u\n", static_cast<unsigned>(g_payload.configurationEnd));
  std::fflush(stdout);
  return 0;
}
