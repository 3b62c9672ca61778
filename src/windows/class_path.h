// The single class path option handed to the JVM.
#pragma once

#include <string>

#include "windows/vm_options.h"

namespace launcher {

// "-Djava.class.path=" with, in order: the prepend override, the archives in
// the launcher temporary directory and its "user" subdirectory, the
// installation's runtime archive (application launcher, product letter 'i'),
// the replace override or the configured class path, the append override.
std::string buildClassPathOption(const ClassPathOverrides& overrides);

// Appends the entries of the configured class path; a mandatory entry that
// cannot be satisfied ends the launch.
void appendConfiguredClassPath(std::string& classPath);

// Appends every file of directory matching the extension; false when the
// directory does not exist.
bool scanArchives(std::string& classPath, const std::string& directory, const std::string& extension);

}  // namespace launcher
