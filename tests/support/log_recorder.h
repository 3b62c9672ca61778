// Portable code writes log lines through logMessage and logError; tests link
// this recorder in place of the real log and read the lines back.
#pragma once

#include <string>
#include <vector>

namespace launcher::testing {

// Every line logged since the last clear, "ERROR: " prefix included.
std::vector<std::string>& recordedLogLines();
void clearRecordedLog();

}  // namespace launcher::testing
