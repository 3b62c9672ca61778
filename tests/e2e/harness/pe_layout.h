// Where a launcher's block starts, read from its PE headers independently of
// the launchers' own reader, so that tests can damage a block at a known place
// and predict what the reader logs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace e2e {

uint32_t littleEndian32(const std::string& bytes, std::size_t at);
uint16_t littleEndian16(const std::string& bytes, std::size_t at);

struct BlockPosition {
  uint16_t sections = 0;
  uint16_t optionalHeaderSize = 0;
  uint32_t lastSectionHeader = 0;  // file offset of the last section header
  uint32_t rawDataSize = 0;
  uint32_t rawDataOffset = 0;

  // Behind the raw data of the section the last header describes.
  std::size_t blockStart() const { return std::size_t{rawDataOffset} + rawDataSize; }
  // The reader's log lines while it looks for the block, with CR LF.
  std::string logLines() const;
};

BlockPosition blockPositionOf(const std::string& exe);

}  // namespace e2e
