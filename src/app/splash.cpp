#include "app/splash.h"

namespace launcher {

// Neither launcher starts a splash screen yet, so there is nothing to show
// or hide.
void controlSplash(int) {}

}  // namespace launcher
