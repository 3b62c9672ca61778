// The stamp command line, callable in-process so that its exit codes and
// messages can be tested without starting a program.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace launcher::stamp {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitConfigError = 2;

// arguments[0] is the program name; all of them UTF-8.
int runStamp(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace launcher::stamp
