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

// The first steps of both entry points, before the command line is split:
// the launcher kind, the common controls, a restart request (a tail of
// exactly "__mqv_reboot") and the language restart flag. False when the tail
// asked for a restart: it has been requested and the entry returns 0.
bool beginEntry(LauncherKind kind, const char* commandTail);

// Handles the log-file request option (removing it from arguments), reads the
// appended data block, fixes the product letter and word, sets the working
// directory and offers to show the log file.
void initRuntime(void* module, ArgumentVector& arguments);

// The first argument that asks for a log file; exact and case-sensitive.
bool isLogFileRequest(WideStringView argument);

}  // namespace launcher
