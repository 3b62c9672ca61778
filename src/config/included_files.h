// Copying the files a launcher carries into its temporary directory.
#pragma once

#include <string>

#include "runtime/handles.h"

namespace launcher {

enum ExtractionResult : int { kExtracted = 0, kReadFailed = 1, kWriteFailed = 2 };

// Extracts every included file; with createDirectory the launcher temporary
// directory is created first when there is at least one file. Sets the
// unextracted position on success.
int extractIncludedFiles(bool createDirectory);
int extractFile(HANDLE executable, const std::string& targetPath);
int copyBytes(HANDLE source, HANDLE target, int64_t count, bool unscramble);
// Deletes the files and removes the empty subdirectories directly inside.
void emptyDirectory(const std::string& path);

}  // namespace launcher
