// The launchers' own command-line rules: blanks separate, double and single
// quotes group with equal rights, there is no escape character, and an
// unclosed quote is an error.
#pragma once

#include <string>
#include <vector>

#include "config/settings.h"

namespace launcher {

// Appends the arguments of text to arguments. False when a quote is not
// closed; the arguments before it have been appended then.
bool splitCommandLine(WideStringView text, std::vector<WideString>& arguments);

}  // namespace launcher
