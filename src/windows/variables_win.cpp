#include <windows.h>

#include "discovery/jvm_library.h"
#include "runtime/paths.h"
#include "runtime/text.h"
#include "windows/variables.h"

namespace launcher {

void expandVariables(std::string& text) {
  VariableValues values;
  values.exeDirectory = resolveAgainst("");
  values.launcherTempDirectory = g_paths.launcherTempDirectory;
  values.jvmHome = g_jvmLibrary.home;
  values.tempDirectory = getTempDirectory();

  EnvironmentEntries environment;
  if (wchar_t* block = GetEnvironmentStringsW()) {
    std::size_t length = 0;
    while (block[length] || block[length + 1]) ++length;
    // The whole block, its inner zeros included, in the ANSI code page.
    const std::string narrow = narrowFromWide(WideStringView(reinterpret_cast<const char16_t*>(block), length + 2), CP_ACP);
    FreeEnvironmentStringsW(block);
    environment = parseEnvironmentBlock(narrow.c_str());
  }
  expandVariablesWith(text, values, environment);
}

}  // namespace launcher
