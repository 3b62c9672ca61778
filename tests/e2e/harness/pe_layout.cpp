#include "harness/pe_layout.h"

#include <sstream>

namespace e2e {

uint32_t littleEndian32(const std::string& bytes, std::size_t at) {
  uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value |= uint32_t{static_cast<uint8_t>(bytes.at(at + i))} << (8 * i);
  return value;
}

uint16_t littleEndian16(const std::string& bytes, std::size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes.at(at)) | static_cast<uint8_t>(bytes.at(at + 1)) << 8);
}

std::string BlockPosition::logLines() const {
  std::ostringstream lines;
  lines << "number of sections: " << sections << "\r\n"
        << "size of optional headers: " << optionalHeaderSize << "\r\n"
        << "resSectionTableStart: " << lastSectionHeader << "\r\n"
        << "rawDataSize: " << rawDataSize << ", rawDataOffset: " << rawDataOffset << "\r\n";
  return lines.str();
}

BlockPosition blockPositionOf(const std::string& exe) {
  BlockPosition position;
  const uint32_t peHeader = littleEndian32(exe, 60);
  position.sections = littleEndian16(exe, peHeader + 6);
  position.optionalHeaderSize = littleEndian16(exe, peHeader + 20);
  position.lastSectionHeader = peHeader + 24u + position.optionalHeaderSize + 40u * (position.sections - 1u);
  position.rawDataSize = littleEndian32(exe, position.lastSectionHeader + 16);
  position.rawDataOffset = littleEndian32(exe, position.lastSectionHeader + 20);
  return position;
}

}  // namespace e2e
