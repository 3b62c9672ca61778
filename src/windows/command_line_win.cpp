#include "windows/command_line_win.h"

#include <windows.h>

#include "runtime/errors.h"
#include "runtime/text.h"
#include "windows/command_line.h"

namespace launcher {

void splitOrFail(WideStringView text, std::vector<WideString>& arguments) {
  if (splitCommandLine(text, arguments)) return;
  // The process command line is split before the block is read: then the
  // store has no text for the message yet, and its own words are shown.
  if (getSetting(message::WrongParameterUsage).empty()) fatalError("Wrong Parameter Usage");
  fatalMessage(message::WrongParameterUsage);
}

ArgumentVector splitProcessCommandLine() {
  ArgumentVector arguments;
  splitOrFail(fromWchar(GetCommandLineW()), arguments);
  return arguments;
}

std::vector<std::string> splitNarrowText(const std::string& text) {
  WideString wide = wideFromNarrow(text, CP_ACP);
  if (wide.size() > kTextBufferSize) wide.resize(kTextBufferSize);
  std::vector<WideString> wideArguments;
  splitOrFail(wide, wideArguments);
  std::vector<std::string> arguments;
  arguments.reserve(wideArguments.size());
  for (const WideString& argument : wideArguments) arguments.push_back(narrowFromWide(argument, CP_ACP));
  return arguments;
}

}  // namespace launcher
