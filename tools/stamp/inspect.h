// Reading a stamped launcher back: what its block holds, read with the same
// rules as the launchers (settings 2002 and 2003 decide how many included
// files there are), and whether its checksum matches.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "block_writer.h"

namespace launcher::stamp {

struct Inspection {
  uint64_t fileSize = 0;
  uint32_t blockOffset = 0;
  // The block magic stands at the block offset.
  bool hasBlock = false;
  // Why the block could not be read to its end; empty when it could.
  std::string damage;

  int32_t integrityFlag = 0;
  uint32_t storedChecksum = 0;
  int64_t coveredLength = 0;
  // The covered length stays inside the file, so the CRC could be computed.
  bool coveredInFile = false;
  uint32_t computedChecksum = 0;
  bool checksumMatches = false;

  // In file order, duplicates included; narrow texts as stored.
  std::vector<std::pair<int32_t, std::string>> narrow;
  std::vector<std::pair<int32_t, std::u16string>> wide;
  std::vector<BlockContents::LocalizedSet> localized;

  struct IncludedFile {
    std::string name;  // as stored in setting 2003
    int64_t size = 0;
  };
  std::vector<IncludedFile> includedFiles;

  bool hasJavaSide = false;
  struct JavaSideEntry {
    std::string name;  // UTF-8
    int64_t size = 0;
  };
  std::vector<JavaSideEntry> javaSide;
  // Behind the Java-side block, or where reading stopped.
  uint64_t blockEnd = 0;
};

struct InspectionResult {
  Inspection inspection;
  // Set when the file is not a PE image whose block can be located.
  std::string error;
  bool ok() const { return error.empty(); }
};

InspectionResult inspectExecutable(std::span<const uint8_t> executable);

// The stable, line-oriented description that "stamp inspect" prints.
std::string describeInspection(const Inspection& inspection);

}  // namespace launcher::stamp
