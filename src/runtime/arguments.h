#pragma once

#include <vector>

#include "config/settings.h"

namespace launcher {

// The split command line: owned UTF-16 texts, element 0 the program name.
using ArgumentVector = std::vector<WideString>;

}  // namespace launcher
