// Fixtures of the building tool's tests: a synthetic PE image of a few
// hundred bytes, a reference CRC-32, the launchers' own reader over stamped
// bytes, and scratch directories.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "config/block_format.h"
#include "config/settings.h"

namespace launcher::stamp::testing {

struct SectionSpec {
  std::string name;
  uint32_t rawOffset;
  uint32_t rawSize;
};

// DOS header, PE signature, COFF header, a zeroed PE32+ optional header and
// the section table, with every section's raw data filled with a pattern.
// The file ends behind the section whose raw data ends last.
std::vector<uint8_t> makePe(const std::vector<SectionSpec>& sections, uint16_t optionalHeaderSize = 240);
// .text at 0x200 (0x200 bytes) and .rsrc at 0x400 (0x80 bytes): 1152 bytes.
std::vector<uint8_t> smallPe();

// Table-driven CRC-32 (reflected 0xEDB88320), written apart from zlib.
uint32_t referenceCrc32(const uint8_t* data, std::size_t size);

uint32_t le32(const std::vector<uint8_t>& bytes, std::size_t at);
uint64_t le64(const std::vector<uint8_t>& bytes, std::size_t at);
uint64_t be(const std::vector<uint8_t>& bytes, std::size_t at, int size);

// What the launchers read from a stamped file: the block offset their PE walk
// finds, then the header and configuration into a store.
struct LauncherView {
  uint32_t blockOffset = 0;
  ConfigurationResult result;
  SettingsStore store;
};
LauncherView readAsLauncher(const std::vector<uint8_t>& executable, std::optional<std::string> userLocale = "en_US");

// A directory below the system's temporary directory, removed afterwards.
class ScratchDirectory {
 public:
  ScratchDirectory();
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory&) = delete;
  ScratchDirectory& operator=(const ScratchDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path write(const std::string& relative, const std::string& content) const;
  std::filesystem::path write(const std::string& relative, const std::vector<uint8_t>& content) const;

 private:
  std::filesystem::path path_;
};

std::vector<uint8_t> readAll(const std::filesystem::path& path);

}  // namespace launcher::stamp::testing
