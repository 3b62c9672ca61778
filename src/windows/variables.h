// Launcher variables: "${launcher:sys.launcherDirectory}" and its siblings,
// the older "%VELKOR_EXEDIR%" and "${MORVANE_JVM_HOME}" forms, and environment
// variables written as "${NAME}".
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace launcher {

struct VariableValues {
  std::string exeDirectory;          // ends with a backslash
  std::string launcherTempDirectory;  // empty when there is none
  std::string jvmHome;                // empty before a JVM is selected
  std::string tempDirectory;          // ends with a backslash
};

using EnvironmentEntries = std::vector<std::pair<std::string, std::string>>;

// Replaces every occurrence of name by value, searching on behind each
// inserted value, so a value containing the name cannot loop.
void replaceAll(std::string& text, std::string_view name, std::string_view value);

// Every launcher variable in table order, then the environment entries in
// their order, each as "${name}" and then upper-cased.
void expandVariablesWith(std::string& text, const VariableValues& values, const EnvironmentEntries& environment);

// The entries of a Windows environment block: "name=value" texts, each
// terminated by a zero, the block by an empty text. Entries without '='
// are skipped; a name may begin with '=' (the drive entries).
EnvironmentEntries parseEnvironmentBlock(const char* block);

// Expands in place with the process's current values. The text is limited to
// what an 8192-byte buffer holds.
void expandVariables(std::string& text);

}  // namespace launcher
