// The appended data block: the configuration and payload that the building
// tool writes behind a launcher's PE image, and the reader of its
// configuration part. Portable: the file access is behind ByteSource.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "config/settings.h"

namespace launcher {

inline constexpr uint32_t kBlockMagic = 0xE8E413D5u;
inline constexpr uint32_t kBlockHeaderSize = 20;
// Every byte of an included file is stored exclusive-or this key.
inline constexpr uint8_t kScrambleKey = 0xA7;
// The Java-side block's magic; stored big-endian, unlike the header's.
inline constexpr uint32_t kJavaSideMagic = 0xE8E413D5u;
// Files are padded with zeros to a multiple of this many bytes.
inline constexpr uint32_t kBlockPadding = 512;

// Sequential reads at a position that can be set from the start of the file.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // One read call of up to count bytes at the current position. Returns false
  // when the call itself failed; bytesRead tells how many bytes arrived.
  virtual bool read(void* buffer, uint32_t count, uint32_t& bytesRead, uint32_t& systemError) = 0;
  virtual void seek(uint32_t offset) = 0;
  virtual uint64_t position() const = 0;
  virtual uint64_t size() const = 0;
};

// A ByteSource over bytes in memory (tests, the building tool's inspector).
class MemorySource final : public ByteSource {
 public:
  MemorySource(const void* data, std::size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
  bool read(void* buffer, uint32_t count, uint32_t& bytesRead, uint32_t& systemError) override;
  void seek(uint32_t offset) override { position_ = offset; }
  uint64_t position() const override { return position_; }
  uint64_t size() const override { return size_; }

 private:
  const uint8_t* data_;
  std::size_t size_;
  uint64_t position_ = 0;
};

enum class BlockError { None, Magic, ReadInt, ReadShort, ReadLong, ReadString, ReadWString };

// The text shown for a reader failure, for example "Internal Error: readInt".
const char* blockErrorMessage(BlockError error);

// Reads the little-endian fields of the block. The first failure is kept and
// every later read fails too, so a caller may check once at the end.
class BlockReader {
 public:
  explicit BlockReader(ByteSource& source) : source_(source) {}

  std::optional<int32_t> readInt();
  std::optional<int16_t> readShort();
  std::optional<int64_t> readLong();
  std::optional<std::string> readString();
  std::optional<WideString> readWString();

  BlockError error() const { return error_; }
  ByteSource& source() { return source_; }

 private:
  bool readExact(void* buffer, uint32_t count, uint32_t& bytesRead, uint32_t& systemError);
  bool fail(BlockError error);
  // A length field that the rest of the file cannot satisfy.
  bool lengthFits(int32_t length) const;

  ByteSource& source_;
  BlockError error_ = BlockError::None;
};

// Where the block begins: behind the raw data of the section that the last
// header of the PE section table describes. Leaves the source there.
bool seekToAppendedBlock(BlockReader& reader);
// The same position without logging, for the building tool.
std::optional<uint32_t> appendedBlockOffset(ByteSource& source);

struct ConfigurationResult {
  BlockError error = BlockError::None;
  // File position of the first included file.
  uint32_t configurationEnd = 0;
};

// Reads the header and the configuration part that start at the reader's
// position into store. userLocaleName is asked once, and only when the block
// has localized message sets.
ConfigurationResult readConfiguration(BlockReader& reader, SettingsStore& store,
                                      const std::function<std::optional<std::string>()>& userLocaleName);

// Process-wide positions of the payload, for the extraction and the launch.
struct PayloadPositions {
  uint32_t configurationEnd = 0;
  // Behind the last included file once they are extracted; 0 until then.
  uint32_t unextracted = 0;
};
extern PayloadPositions g_payload;

}  // namespace launcher
