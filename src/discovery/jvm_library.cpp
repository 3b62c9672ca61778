#include "discovery/jvm_library.h"

namespace launcher {

JvmLibraryState g_jvmLibrary;

}  // namespace launcher
