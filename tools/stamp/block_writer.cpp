#include "block_writer.h"

#include <zlib.h>

#include <algorithm>
#include <cstdio>

#include "config/block_format.h"
#include "text_encoding.h"

namespace launcher::stamp {
namespace {

class ByteWriter {
 public:
  void u8(uint8_t v) { bytes.push_back(v); }
  void le32(uint32_t v) { little(v, 4); }
  void le64(uint64_t v) { little(v, 8); }
  void be16(uint16_t v) { big(v, 2); }
  void be32(uint32_t v) { big(v, 4); }
  void be64(uint64_t v) { big(v, 8); }
  void raw(const void* data, std::size_t size) {
    const auto* p = static_cast<const uint8_t*>(data);
    bytes.insert(bytes.end(), p, p + size);
  }
  void count(std::size_t n) { le32(static_cast<uint32_t>(n)); }
  void narrowText(const std::string& text) {
    count(text.size());
    raw(text.data(), text.size());
  }
  void wideText(const std::u16string& text) {
    count(text.size() * 2);
    for (char16_t unit : text) {
      u8(static_cast<uint8_t>(unit & 0xFF));
      u8(static_cast<uint8_t>(unit >> 8));
    }
  }

  std::vector<uint8_t> bytes;

 private:
  void little(uint64_t v, int size) {
    for (int i = 0; i < size; ++i) u8(static_cast<uint8_t>(v >> (8 * i)));
  }
  void big(uint64_t v, int size) {
    for (int i = size - 1; i >= 0; --i) u8(static_cast<uint8_t>(v >> (8 * i)));
  }
};

uint32_t readLe32(std::span<const uint8_t> bytes, std::size_t at) {
  return static_cast<uint32_t>(bytes[at]) | static_cast<uint32_t>(bytes[at + 1]) << 8 |
         static_cast<uint32_t>(bytes[at + 2]) << 16 | static_cast<uint32_t>(bytes[at + 3]) << 24;
}

uint16_t readLe16(std::span<const uint8_t> bytes, std::size_t at) {
  return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

std::string hex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "0x%llX", static_cast<unsigned long long>(value));
  return text;
}

// A section name for messages: up to eight bytes, printable ASCII only.
std::string sectionName(std::span<const uint8_t> bytes, std::size_t header) {
  std::string name;
  for (std::size_t i = 0; i < 8 && bytes[header + i] != 0; ++i) {
    const uint8_t c = bytes[header + i];
    name += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
  }
  return "\"" + name + "\"";
}

constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kFileHeaderSize = 24;  // "PE\0\0" and the COFF header
constexpr std::size_t kSectionHeaderSize = 40;

}  // namespace

uint32_t blockChecksum(std::span<const uint8_t> bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  // zlib takes the length as a 32-bit count; feed large inputs in pieces.
  constexpr std::size_t kPiece = 1u << 30;
  for (std::size_t done = 0; done < bytes.size(); done += kPiece) {
    const std::size_t size = std::min(kPiece, bytes.size() - done);
    crc = crc32(crc, bytes.data() + done, static_cast<uInt>(size));
  }
  return static_cast<uint32_t>(crc);
}

std::vector<uint8_t> serializeBlock(const BlockContents& contents) {
  ByteWriter out;
  out.le32(kBlockMagic);
  out.le32(contents.integrity ? 1 : 0);
  out.le32(0);  // checksum and covered length are filled in at the end
  out.le64(0);

  out.count(contents.narrow.size());
  for (const auto& [id, text] : contents.narrow) {
    out.le32(static_cast<uint32_t>(id));
    out.narrowText(text);
  }
  out.count(contents.wide.size());
  for (const auto& [id, text] : contents.wide) {
    out.le32(static_cast<uint32_t>(id));
    out.wideText(text);
  }
  out.count(contents.localized.size());
  for (const BlockContents::LocalizedSet& set : contents.localized) {
    out.narrowText(set.locale);
    out.count(set.messages.size());
    for (const auto& [id, text] : set.messages) {
      out.le32(static_cast<uint32_t>(id));
      out.wideText(text);
    }
  }

  for (const std::vector<uint8_t>& file : contents.includedFiles) {
    out.le64(file.size());
    for (uint8_t byte : file) out.u8(static_cast<uint8_t>(byte ^ kScrambleKey));
  }

  out.be32(kJavaSideMagic);
  out.be32(static_cast<uint32_t>(contents.javaSide.size()));
  for (const auto& [name, data] : contents.javaSide) {
    std::vector<uint8_t> encoded = toModifiedUtf8(name);
    if (encoded.size() > 0xFFFF) {
      // Never split a multi-byte sequence: continuation bytes are 10xxxxxx.
      std::size_t cut = 0xFFFF;
      while (cut > 0 && (encoded[cut] & 0xC0) == 0x80) --cut;
      encoded.resize(cut);
    }
    out.be16(static_cast<uint16_t>(encoded.size()));
    out.raw(encoded.data(), encoded.size());
    out.be64(data.size());
    out.raw(data.data(), data.size());
  }

  std::vector<uint8_t>& block = out.bytes;
  const std::span<const uint8_t> covered(block.data() + kBlockHeaderSize, block.size() - kBlockHeaderSize);
  const uint32_t checksum = blockChecksum(covered);
  const uint64_t coveredLength = covered.size();
  for (int i = 0; i < 4; ++i) block[8 + i] = static_cast<uint8_t>(checksum >> (8 * i));
  for (int i = 0; i < 8; ++i) block[12 + i] = static_cast<uint8_t>(coveredLength >> (8 * i));
  return block;
}

ImageEndResult findImageEnd(std::span<const uint8_t> executable) {
  ImageEndResult result;
  if (executable.size() < kDosHeaderSize || executable[0] != 'M' || executable[1] != 'Z') {
    result.error = "not a PE executable (no MZ signature)";
    return result;
  }
  const uint32_t peHeader = readLe32(executable, 60);
  if (peHeader > executable.size() || executable.size() - peHeader < kFileHeaderSize ||
      readLe32(executable, peHeader) != 0x00004550u) {
    result.error = "not a PE executable (no PE signature)";
    return result;
  }
  const uint16_t sections = readLe16(executable, peHeader + 6);
  const uint16_t optionalHeaderSize = readLe16(executable, peHeader + 20);
  const uint64_t tableEnd =
      uint64_t{peHeader} + kFileHeaderSize + optionalHeaderSize + uint64_t{kSectionHeaderSize} * sections;
  if (sections == 0 || tableEnd > executable.size()) {
    result.error = sections == 0 ? "the PE image has no sections" : "the PE section table lies beyond the end of the file";
    return result;
  }
  launcher::MemorySource source(executable.data(), executable.size());
  const std::optional<uint32_t> offset = appendedBlockOffset(source);
  if (!offset) {
    result.error = "the PE headers cannot be read";
    return result;
  }
  // The launchers add the two 32-bit fields without checking; an end that
  // wrapped around or lies beyond the file is not an image we can stamp.
  const uint64_t lastHeader = tableEnd - kSectionHeaderSize;
  const uint64_t end = uint64_t{readLe32(executable, lastHeader + 20)} + readLe32(executable, lastHeader + 16);
  if (end != *offset || end > executable.size()) {
    result.error = "the last section ends at " + hex(end) + ", beyond the end of the file (" +
                   std::to_string(executable.size()) + " bytes)";
    return result;
  }
  result.offset = *offset;
  return result;
}

StampResult stampExecutable(std::span<const uint8_t> launcher, const BlockContents& contents) {
  StampResult result;
  const ImageEndResult imageEnd = findImageEnd(launcher);
  if (!imageEnd.ok()) {
    result.error = imageEnd.error;
    return result;
  }
  const uint32_t peHeader = readLe32(launcher, 60);
  const uint16_t sections = readLe16(launcher, peHeader + 6);
  const std::size_t table = peHeader + kFileHeaderSize + readLe16(launcher, peHeader + 20);
  const std::size_t lastHeader = table + kSectionHeaderSize * (sections - 1u);
  for (std::size_t header = table; header < lastHeader; header += kSectionHeaderSize) {
    const uint32_t rawSize = readLe32(launcher, header + 16);
    const uint64_t end = uint64_t{readLe32(launcher, header + 20)} + rawSize;
    if (rawSize > 0 && end > imageEnd.offset) {
      result.error = "the last section header (" + sectionName(launcher, lastHeader) +
                     ") does not describe the section whose raw data ends last (" + sectionName(launcher, header) +
                     " ends at " + hex(end) + ", behind " + hex(imageEnd.offset) +
                     "); cutting there would destroy image data";
      return result;
    }
  }

  const std::vector<uint8_t> block = serializeBlock(contents);
  std::vector<uint8_t>& exe = result.executable;
  exe.reserve(imageEnd.offset + block.size() + kBlockPadding);
  exe.assign(launcher.begin(), launcher.begin() + imageEnd.offset);
  exe.insert(exe.end(), block.begin(), block.end());
  exe.resize((exe.size() + kBlockPadding - 1) / kBlockPadding * kBlockPadding, 0);
  return result;
}

}  // namespace launcher::stamp
