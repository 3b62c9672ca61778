#pragma once

namespace launcher {

// Shows the splash screen with a show command, or hides it with 0. Error
// reporting calls it with 0 before every message.
void controlSplash(int showCommand);

}  // namespace launcher
