#include "windows/java_arguments.h"

#include "config/settings.h"
#include "runtime/paths.h"
#include "runtime/text.h"
#include "windows/command_line_win.h"
#include "windows/variables.h"

namespace launcher {

namespace {

WideString limited(WideString text) {
  if (text.size() > kTextBufferSize) text.resize(kTextBufferSize);
  return text;
}

// An empty text unless the switch is on; "$..." stays as it is, anything else
// becomes an absolute path beside the executable.
WideString logFileArgument(int32_t switchId, int32_t fileId) {
  if (getIntSetting(switchId) == 0) return {};
  std::string file = getSetting(fileId);
  expandVariables(file);
  if (file.empty() || file[0] != '$') file = makeAbsolute(file, true);
  return limited(wideFromNarrow(file, fileCodePage()));
}

WideString flag(bool on) { return on ? u"true" : u"false"; }

}  // namespace

void buildLeadingArguments(std::vector<WideString>& javaArguments) {
  javaArguments.push_back(flag(getIntSetting(setting::ExecutableKind) == 1));
  javaArguments.push_back(wideFromNarrow(getSetting(setting::MainClass), CP_ACP));
  javaArguments.push_back(logFileArgument(setting::PassErrorLog, setting::ErrorLogFile));
  javaArguments.push_back(logFileArgument(setting::PassOutputLog, setting::OutputLogFile));
  javaArguments.push_back(flag(getIntSetting(setting::JavaSideFlag) != 0));
}

std::vector<WideString> composeJavaArguments(const ArgumentVector& arguments) {
  std::vector<WideString> javaArguments;
  buildLeadingArguments(javaArguments);
  if (!arguments.empty()) javaArguments.push_back(arguments[0]);

  std::string defaults = getSetting(setting::DefaultArguments);
  expandVariables(defaults);
  splitOrFail(limited(wideFromNarrow(defaults, CP_ACP)), javaArguments);

  const bool jArgumentsAreVmOptions = getIntSetting(setting::JArgumentsAreVmOptions) != 0;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    if (jArgumentsAreVmOptions && arguments[i].compare(0, 2, u"-J") == 0) continue;
    javaArguments.push_back(arguments[i]);
  }
  return javaArguments;
}

}  // namespace launcher
