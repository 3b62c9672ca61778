#include "windows/vm_options.h"

#include <windows.h>

#include "config/settings.h"
#include "runtime/log.h"
#include "runtime/paths.h"
#include "runtime/text.h"
#include "windows/class_path.h"
#include "windows/command_line_win.h"
#include "windows/option_lines.h"
#include "windows/variables.h"

namespace launcher {

namespace {

std::string longPathOf(const std::string& path) {
  char longPath[8192];
  const DWORD length = GetLongPathNameA(path.c_str(), longPath, sizeof longPath);
  if (length == 0 || length >= sizeof longPath) return path;
  return std::string(longPath, length);
}

// The identity of an option file for cycle detection.
std::string fileIdentity(const std::string& path) {
  char full[8192];
  char* filePart = nullptr;
  const DWORD length = GetFullPathNameA(path.c_str(), sizeof full, full, &filePart);
  std::string identity = length > 0 && length < sizeof full ? std::string(full, length) : path;
  identity = longPathOf(identity);
  lowerCasePath(identity);
  return identity;
}

void includeOptionsFile(VmOptionAssembly& assembly, const std::string* containingFile, std::string name) {
  expandVariables(name);
  const std::string resolved = resolveAgainst(name, containingFile);
  const std::string identity = fileIdentity(resolved);
  for (const std::string& open : assembly.openFiles) {
    if (open == identity) {
      // Reading it again would never end; the lines it has added stay.
      logError("include cycle: %s is being read already, not included again", resolved.c_str());
      return;
    }
  }
  std::FILE* stream = std::fopen(resolved.c_str(), "r");
  logMessage("adding vmoptions from <%s> (%s) (%p)", resolved.c_str(), name.c_str(), static_cast<void*>(stream));
  if (!stream) return;
  assembly.openFiles.push_back(identity);
  readVmOptionsFile(assembly, &resolved, stream);
  assembly.openFiles.pop_back();
}

}  // namespace

void handleOptionLine(VmOptionAssembly& assembly, const std::string* containingFile, const std::string& line) {
  OptionLine classified = classifyOptionLine(line);
  switch (classified.kind) {
    case OptionLineKind::Include:
      includeOptionsFile(assembly, containingFile, std::move(classified.value));
      break;
    case OptionLineKind::ClassPathReplace:
      assembly.overrides.replace = std::move(classified.value);
      break;
    case OptionLineKind::ClassPathPrepend:
      assembly.overrides.prepend = std::move(classified.value);
      break;
    case OptionLineKind::ClassPathAppend:
      assembly.overrides.append = std::move(classified.value);
      break;
    case OptionLineKind::Option:
      assembly.options.push_back(std::move(classified.value));
      break;
  }
}

void readVmOptionsFile(VmOptionAssembly& assembly, const std::string* path, std::FILE* stream) {
  if (!stream) return;
  char buffer[8192];
  while (std::fgets(buffer, sizeof buffer, stream)) {
    std::optional<std::string> line = cleanOptionLine(buffer);
    if (!line) continue;
    expandVariables(*line);
    handleOptionLine(assembly, path, *line);
  }
  std::fclose(stream);
}

std::FILE* findVmOptionsFile(std::string* openedPath) {
  const std::string& exePath = getExePath();
  const std::string longPath = longPathOf(exePath);
  const std::string first = longPath.substr(0, longPath.size() >= 4 ? longPath.size() - 4 : 0) + ".vmoptions";
  std::FILE* stream = std::fopen(first.c_str(), "r");
  logMessage("vmoptions: exe file: %s, long: %s, opts1: %s, file: %p", exePath.c_str(), longPath.c_str(),
             first.c_str(), static_cast<void*>(stream));
  if (stream) {
    if (openedPath) *openedPath = first;
    return stream;
  }
  const std::string second = longPath + ".vmoptions";
  stream = std::fopen(second.c_str(), "r");
  logMessage("vmoptions: opts2: %s, file: %p", second.c_str(), static_cast<void*>(stream));
  if (stream && openedPath) *openedPath = second;
  return stream;
}

std::vector<std::string> buildVmOptions(const std::vector<std::string>& optionsPassedIn,
                                        const ArgumentVector& arguments) {
  VmOptionAssembly assembly;
  assembly.options = optionsPassedIn;

  std::string parameters = getSetting(setting::VmParameters);
  expandVariables(parameters);
  const std::vector<std::string> split = splitNarrowText(parameters);
  logMessage("adding options\n");
  for (const std::string& line : joinIncludeArguments(split)) handleOptionLine(assembly, nullptr, line);

  if (getIntSetting(setting::JArgumentsAreVmOptions) != 0) {
    // Element 0 is the program name, not an argument.
    for (std::size_t i = 1; i < arguments.size(); ++i) {
      if (arguments[i].compare(0, 2, u"-J") != 0) continue;
      handleOptionLine(assembly, nullptr, narrowFromWide(WideStringView(arguments[i]).substr(2)));
    }
  }

  std::string defaultPath;
  std::FILE* defaultFile = findVmOptionsFile(&defaultPath);
  logMessage("default vmoptions file: %p", static_cast<void*>(defaultFile));
  // Its includes resolve against the executable's directory, as if it had no
  // path; it counts as open all the same, so it cannot include itself.
  if (defaultFile) assembly.openFiles.push_back(fileIdentity(defaultPath));
  readVmOptionsFile(assembly, nullptr, defaultFile);

  assembly.options.push_back(buildClassPathOption(assembly.overrides));

  logMessage("vmoption count %d", static_cast<int>(assembly.options.size()));
  for (std::size_t i = 0; i < assembly.options.size(); ++i)
    logMessage("vmoption %d: %s", static_cast<int>(i), assembly.options[i].c_str());
  return std::move(assembly.options);
}

}  // namespace launcher
