#include "windows/variables.h"

#include "config/settings.h"
#include "runtime/log.h"

namespace launcher {

void replaceAll(std::string& text, std::string_view name, std::string_view value) {
  if (name.empty()) return;
  std::size_t at = text.find(name);
  while (at != std::string::npos) {
    text.replace(at, name.size(), value);
    // Expansions past the buffer are cut: the text stays within its limit.
    if (text.size() > kTextBufferSize - 1) text.resize(kTextBufferSize - 1);
    logMessage("expanding %.*s to %.*s in %s.", static_cast<int>(name.size()), name.data(),
               static_cast<int>(value.size()), value.data(), text.c_str());
    at = text.find(name, at + value.size());
  }
}

void expandVariablesWith(std::string& text, const VariableValues& values, const EnvironmentEntries& environment) {
  const std::pair<const char*, const std::string*> fixed[] = {
      {"%VELKOR_EXEDIR%", &values.exeDirectory},
      {"%MORVANE_EXEDIR%", &values.exeDirectory},
      {"%VELKOR_TEMPDIR%", &values.launcherTempDirectory},
      {"%MORVANE_TEMPDIR%", &values.launcherTempDirectory},
      {"%VELKOR_PATHLIST_SEPARATOR%", nullptr},
      {"%MORVANE_PATHLIST_SEPARATOR%", nullptr},
      {"%VELKOR_JVM_HOME%", &values.jvmHome},
      {"%MORVANE_JVM_HOME%", &values.jvmHome},
      {"${VELKOR_EXEDIR}", &values.exeDirectory},
      {"${MORVANE_EXEDIR}", &values.exeDirectory},
      {"${VELKOR_TEMPDIR}", &values.launcherTempDirectory},
      {"${MORVANE_TEMPDIR}", &values.launcherTempDirectory},
      {"${VELKOR_PATHLIST_SEPARATOR}", nullptr},
      {"${MORVANE_PATHLIST_SEPARATOR}", nullptr},
      {"${VELKOR_JVM_HOME}", &values.jvmHome},
      {"${MORVANE_JVM_HOME}", &values.jvmHome},
      {"${launcher:sys.launcherDirectory}", &values.exeDirectory},
      {"${launcher:sys.launcherTempDirectory}", &values.launcherTempDirectory},
      {"${launcher:sys.pathlistSeparator}", nullptr},
      {"${launcher:sys.jvmHome}", &values.jvmHome},
      {"${launcher:sys.tempDir}", &values.tempDirectory},
  };
  for (const auto& [name, value] : fixed) replaceAll(text, name, value ? std::string_view(*value) : ";");

  for (const auto& [name, value] : environment) {
    std::string placeholder = "${" + name + "}";
    replaceAll(text, placeholder, value);
    for (char& c : placeholder)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    replaceAll(text, placeholder, value);
  }
}

EnvironmentEntries parseEnvironmentBlock(const char* block) {
  EnvironmentEntries entries;
  if (!block) return entries;
  for (const char* entry = block; *entry; entry += std::char_traits<char>::length(entry) + 1) {
    const std::string_view text(entry);
    // The search starts behind the first character so that the "=C:" entries
    // keep their leading '=' in the name.
    const std::size_t equals = text.find('=', 1);
    if (equals == std::string_view::npos) continue;
    entries.emplace_back(std::string(text.substr(0, equals)), std::string(text.substr(equals + 1)));
  }
  return entries;
}

}  // namespace launcher
