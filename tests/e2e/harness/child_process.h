// Runs a Linux program with its standard output and error captured.
#pragma once

#include <string>
#include <vector>

namespace e2e {

struct ChildOutput {
  // The exit status; 128 + the signal number when a signal ended it.
  int exitStatus = -1;
  bool signaled = false;
  // The program was still running at the deadline and was killed.
  bool killed = false;
  std::string out;
  std::string err;
};

// Starts program with arguments (argv[0] included) and exactly the given
// environment ("NAME=value" entries), standard input from /dev/null, in a
// process group of its own. Reads both pipes while it runs, reaps it always,
// and kills its process group when it runs longer than timeoutMs.
//
// Wine hands the pipes on to processes that outlive the program (its desktop
// process), so the end of the output is not awaited: once the program has
// ended, what is still in the pipes is read until they stay quiet briefly.
ChildOutput runChild(const std::vector<std::string>& argv, const std::vector<std::string>& environment, int timeoutMs);

// This process's environment, with the named variables removed and the given
// "NAME=value" entries put in place of any of the same name.
std::vector<std::string> environmentWith(const std::vector<std::string>& removed,
                                         const std::vector<std::string>& replaced);

}  // namespace e2e
