// The start-up step shared by both entry points, and the process-wide facts
// it establishes.
#pragma once

#include <string>

#include "runtime/arguments.h"

namespace launcher {

enum class LauncherKind { Application, Setup };

struct RuntimeState {
  // Set by the entry point before anything else runs.
  LauncherKind kind = LauncherKind::Application;
  // The module instance handle the entry point received (an HINSTANCE).
  void* module = nullptr;
  // First character of setting 2001: 'i' or 'e' select Java classes and steps.
  char productLetter = '\0';
  // "velkor" for product letter 'e', otherwise "morvane".
  std::string productWord = "morvane";
  // A start whose command line begins with "__mqv_lang_restart".
  bool languageRestart = false;
};

extern RuntimeState g_runtime;

// Handles the log-file request option (removing it from arguments), reads the
// appended data block, fixes the product letter and word, sets the working
// directory and offers to show the log file.
void initRuntime(void* module, ArgumentVector& arguments);

// The first argument that asks for a log file; exact and case-sensitive.
bool isLogFileRequest(WideStringView argument);

}  // namespace launcher
