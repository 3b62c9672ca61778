// The argument list the Java-side launcher class receives.
#pragma once

#include <vector>

#include "runtime/arguments.h"

namespace launcher {

// GUI flag, main class, error log, output log, the flag of setting 106.
void buildLeadingArguments(std::vector<WideString>& javaArguments);

// The leading arguments, the program name, the default arguments and the
// forwarded command-line arguments ("-J" ones left out when they are VM
// options).
std::vector<WideString> composeJavaArguments(const ArgumentVector& arguments);

}  // namespace launcher
