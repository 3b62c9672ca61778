// Writing the appended data block: the configuration, the included files and
// the Java-side block behind a launcher's PE image. Tests use this to craft
// blocks, including malformed ones: contents are written exactly as given.
//
// Link stamp_core; it needs logMessage and logError from the program (a
// launcher's log, the tests' recorder or the stamp tool's quiet log).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace launcher::stamp {

struct BlockContents {
  // Asks the setup launcher to verify the checksum (header field 1 or 0).
  bool integrity = false;
  // Already in the target code page; written in this order, duplicates allowed.
  std::vector<std::pair<int32_t, std::string>> narrow;
  std::vector<std::pair<int32_t, std::u16string>> wide;
  struct LocalizedSet {
    std::string locale;
    std::vector<std::pair<int32_t, std::u16string>> messages;
  };
  std::vector<LocalizedSet> localized;
  // Plain contents; the writer scrambles them. Their number and names are
  // settings 2002 and 2003, which the caller puts among the narrow entries.
  std::vector<std::vector<uint8_t>> includedFiles;
  // Name (UTF-8, written as modified UTF-8 and cut to 65535 bytes) and data.
  std::vector<std::pair<std::string, std::vector<uint8_t>>> javaSide;
};

// The block from its header to the end of the Java-side block, without the
// padding. The checksum covers everything behind the 20-byte header.
std::vector<uint8_t> serializeBlock(const BlockContents& contents);

// CRC-32 of IEEE 802.3, as the setup launcher computes it.
uint32_t blockChecksum(std::span<const uint8_t> bytes);

struct StampResult {
  std::vector<uint8_t> executable;
  // One line; empty on success.
  std::string error;
  bool ok() const { return error.empty(); }
};

// The launcher with everything behind its image replaced by the block and
// zero padding up to the next multiple of 512 bytes. Refuses what is not a PE
// file, and images whose last section header does not describe the section
// whose raw data ends last, because cutting behind that section would
// destroy image data.
StampResult stampExecutable(std::span<const uint8_t> launcher, const BlockContents& contents);

struct ImageEndResult {
  uint32_t offset = 0;
  std::string error;
  bool ok() const { return error.empty(); }
};

// Where the block of this file begins, exactly as the launchers find it, after
// checking the DOS and PE signatures and that the section table is in the
// file.
ImageEndResult findImageEnd(std::span<const uint8_t> executable);

}  // namespace launcher::stamp
