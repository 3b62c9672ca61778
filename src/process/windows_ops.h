// Operations on windows, the console and the machine as a whole.
#pragma once

namespace launcher {

// True when the system belongs to the Windows NT family.
bool isWindowsNt();

// Attaches to the parent process's console, or allocates a new one; false
// only when neither works.
bool attachConsole();

// Waits five seconds, enables the shutdown privilege and asks for a restart.
void rebootMachine();

}  // namespace launcher
