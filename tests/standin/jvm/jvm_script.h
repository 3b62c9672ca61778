// What a test tells the stand-in JVM to do, read from its script file when the
// JVM is created.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "support/standin_support.h"

namespace standin {

enum class FirstRunAnswer { True, False, Throw };
enum class MainOutcome { Return, Throw, Exit };

struct JvmScript {
  bool failCreate = false;
  std::vector<std::string> missingClasses;  // internal names
  std::vector<std::string> missingMethods;  // "<internal class name>.<method name>"
  FirstRunAnswer firstRun = FirstRunAnswer::True;
  MainOutcome mainOutcome = MainOutcome::Return;
  int mainExitCode = 0;
  std::optional<unsigned> threadAfterMainMs;
  bool mainStdout = false;
  // Report how long the process took to reach JNI_CreateJavaVM and its
  // private memory then, and end the process (start-up benchmarks).
  bool startupReport = false;
  std::vector<int> splashActions;           // empty: getAction answers 0
  std::vector<std::u16string> splashTexts;  // exhausted: getText answers null
};

// Applies the entries in order; false with the first entry that names an
// unknown key or carries a value the key does not take.
bool parseJvmScript(const std::vector<ScriptEntry>& entries, JvmScript& script, ScriptEntry* badEntry);

}  // namespace standin
