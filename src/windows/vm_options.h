// Assembly of the JVM's option list: the options passed in, the configured
// VM parameters, "-J" arguments, the .vmoptions file beside the executable
// (with its includes) and, last, the class path option.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "runtime/arguments.h"

namespace launcher {

struct ClassPathOverrides {
  std::optional<std::string> prepend;
  std::optional<std::string> replace;
  std::optional<std::string> append;
};

// The state of one assembly.
struct VmOptionAssembly {
  std::vector<std::string> options;
  ClassPathOverrides overrides;
  // Full, lower-cased paths of the option files being read, to detect a
  // file that includes itself directly or indirectly.
  std::vector<std::string> openFiles;
};

// The complete option list, class path option last, logged.
std::vector<std::string> buildVmOptions(const std::vector<std::string>& optionsPassedIn,
                                        const ArgumentVector& arguments);

// The .vmoptions file beside the executable, or none; its path when asked.
std::FILE* findVmOptionsFile(std::string* openedPath = nullptr);
void readVmOptionsFile(VmOptionAssembly& assembly, const std::string* path, std::FILE* stream);
void handleOptionLine(VmOptionAssembly& assembly, const std::string* containingFile, const std::string& line);

}  // namespace launcher
