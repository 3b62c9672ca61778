#include "windows/class_path.h"

#include <windows.h>

#include "config/settings.h"
#include "runtime/errors.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/runtime.h"
#include "windows/option_lines.h"
#include "windows/variables.h"

namespace launcher {

namespace {

constexpr std::size_t kClassPathOptionLimit = 40960;

// Missing and empty variables differ: only a missing one is reported as
// undefined.
std::optional<std::string> environmentVariable(const std::string& name) {
  char value[8192];
  SetLastError(ERROR_SUCCESS);
  const DWORD length = GetEnvironmentVariableA(name.c_str(), value, sizeof value);
  const DWORD lastError = GetLastError();
  if (length == 0) {
    if (lastError == ERROR_ENVVAR_NOT_FOUND) return std::nullopt;
    return std::string();
  }
  if (length >= sizeof value) return std::string(value, 0);  // longer than the limit: treated as no value
  return std::string(value, length);
}

bool endsWith(const std::string& text, char c) { return !text.empty() && text.back() == c; }

}  // namespace

bool scanArchives(std::string& classPath, const std::string& directory, const std::string& extension) {
  if (!pathExists(directory)) return false;
  for (const std::string& name : listDirectory(directory, extension)) {
    classPath += resolveAgainst(directory + "\\" + name);
    classPath += ';';
  }
  return true;
}

void appendConfiguredClassPath(std::string& classPath) {
  const std::string setting = getSetting(setting::ClassPath);
  logMessage("classpath entry %s", setting.c_str());
  for (ClassPathEntry& entry : parseClassPathEntries(setting)) {
    expandVariables(entry.text);
    bool found = false;
    switch (entry.letter) {
      case 'A':
      case 'D': {
        const std::string resolved = resolvePathList(entry.text);
        found = pathExists(resolved);
        classPath += resolved;
        classPath += ';';
        break;
      }
      case 'E': {
        const std::optional<std::string> value = environmentVariable(entry.text);
        if (!value) {
          if (entry.mandatory) fatalMessage(message::VariableUndefined, entry.text);
          continue;
        }
        if (value->empty()) break;
        const std::string appended = withoutEnclosingQuotes(*value);
        classPath += appended;
        if (!endsWith(appended, ';')) classPath += ';';
        found = true;
        break;
      }
      case 'S':
        found = scanArchives(classPath, resolveAgainst(entry.text), "jar");
        scanArchives(classPath, resolveAgainst(entry.text), "zip");
        break;
      default:
        continue;
    }
    if (entry.mandatory && !found) fatalMessage(message::ClassPathEntryMissing, entry.text);
  }
}

std::string buildClassPathOption(const ClassPathOverrides& overrides) {
  std::string option = "-Djava.class.path=";
  if (overrides.prepend) option += *overrides.prepend + ";";

  const std::string& tempDirectory = g_paths.launcherTempDirectory;
  if (!tempDirectory.empty()) {
    scanArchives(option, tempDirectory, "jar");
    scanArchives(option, tempDirectory, "zip");
    const std::string user = tempDirectory + "\\user";
    scanArchives(option, user, "jar");
    scanArchives(option, user, "zip");
  }

  if (g_runtime.kind == LauncherKind::Application && g_runtime.productLetter == 'i') {
    std::string installation = makeAbsolute(getSetting(setting::InstallationDirectory), true);
    if (!endsWith(installation, '\\')) installation += '\\';
    option += installation + ".morvane\\mqvruntime.jar;";
  }

  if (overrides.replace) option += *overrides.replace;
  else appendConfiguredClassPath(option);

  if (overrides.append) {
    if (!endsWith(option, ';')) option += ';';
    option += *overrides.append;
  }
  if (option.size() > kClassPathOptionLimit - 1) {
    logError("class path cut to %d characters", static_cast<int>(kClassPathOptionLimit - 1));
    option.resize(kClassPathOptionLimit - 1);
  }
  return option;
}

}  // namespace launcher
