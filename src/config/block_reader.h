// Reading the launcher's own appended data block from its file.
#pragma once

#include <optional>
#include <string>

#include "config/block_format.h"
#include "runtime/handles.h"

namespace launcher {

// Reads through an open file handle, one ReadFile call per read.
class FileSource final : public ByteSource {
 public:
  explicit FileSource(HANDLE file) : file_(file) {}
  bool read(void* buffer, uint32_t count, uint32_t& bytesRead, uint32_t& systemError) override;
  void seek(uint32_t offset) override;
  uint64_t position() const override;
  uint64_t size() const override;

 private:
  HANDLE file_;
};

// Opens the launcher's own executable for reading; ends the process when it
// cannot be opened.
FileHandle openOwnExecutable();

// The locale name of the user's default locale, or none.
std::optional<std::string> getUserLocaleName();

// Reads the configuration part of the block into the settings store and
// returns setting 107. Any failure ends the process.
int readAppendedBlock();

}  // namespace launcher
