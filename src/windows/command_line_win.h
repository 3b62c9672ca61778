#pragma once

#include <string>
#include <vector>

#include "runtime/arguments.h"

namespace launcher {

// The process's wide command line split into the argument vector; an
// unclosed quote ends the process with message 1007.
ArgumentVector splitProcessCommandLine();

// Splits a wide text; an unclosed quote ends the process with message 1007.
void splitOrFail(WideStringView text, std::vector<WideString>& arguments);

// An ANSI text split by the same rules, each argument back in ANSI.
std::vector<std::string> splitNarrowText(const std::string& text);

}  // namespace launcher
