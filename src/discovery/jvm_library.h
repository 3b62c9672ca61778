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

}  // namespace launcher
