// Loading a Java runtime's jvm.dll: the one entry of JVM discovery and the
// state it leaves for the launch.
#pragma once

#include <string>

namespace launcher {

struct JvmLibraryState {
  // The selected java executable's directory followed by "..": the runtime's
  // home. Empty before a runtime was selected.
  std::string home;
};

extern JvmLibraryState g_jvmLibrary;

// Loads the runtime named by location (a java executable when isJavaExe,
// otherwise a Java home directory) or, without a location, the one the search
// finds. On failure shows one message when showErrors is set; never ends the
// process itself.
bool LoadDLL(bool showErrors, const char* location, bool isJavaExe);

}  // namespace launcher
