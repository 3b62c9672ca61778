// Restoring a runtime whose class libraries are shipped compressed as .pack
// files, with the runtime's own unpack200.exe.
#pragma once

#include <string>

namespace launcher {

// Unpacks the six libraries when lib\rt.jar.pack exists and lib\jsse.jar
// (the last one restored) does not.
void unpackJre(const std::string& runtimeDirectory);
void unpackJar(const std::string& runtimeDirectory, const std::string& library);
// Runs javaHome\bin\unpack200.exe on one pack file and waits for it; ends the
// process when the program cannot be started.
void unpackFile(const std::string& javaHome, const std::string& packPath);

}  // namespace launcher
