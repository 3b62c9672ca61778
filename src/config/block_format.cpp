#include "config/block_format.h"

#include <cstring>
#include <vector>

#include "runtime/log.h"

namespace launcher {

PayloadPositions g_payload;

bool MemorySource::read(void* buffer, uint32_t count, uint32_t& bytesRead, uint32_t& systemError) {
  systemError = 0;
  const uint64_t available = position_ < size_ ? size_ - position_ : 0;
  bytesRead = static_cast<uint32_t>(count < available ? count : available);
  if (bytesRead > 0) std::memcpy(buffer, data_ + position_, bytesRead);
  position_ += bytesRead;
  return true;
}

const char* blockErrorMessage(BlockError error) {
  switch (error) {
    case BlockError::Magic: return "Internal Error: magic";
    case BlockError::ReadInt: return "Internal Error: readInt";
    case BlockError::ReadShort: return "Internal Error: readShort";
    case BlockError::ReadLong: return "Internal Error: readLong";
    case BlockError::ReadString: return "Internal Error: readString";
    case BlockError::ReadWString: return "Internal Error: readWString";
    case BlockError::None: break;
  }
  return "";
}

bool BlockReader::fail(BlockError error) {
  if (error_ == BlockError::None) error_ = error;
  return false;
}

bool BlockReader::readExact(void* buffer, uint32_t count, uint32_t& bytesRead, uint32_t& systemError) {
  bytesRead = 0;
  systemError = 0;
  if (error_ != BlockError::None) return false;
  return source_.read(buffer, count, bytesRead, systemError) && bytesRead == count;
}

bool BlockReader::lengthFits(int32_t length) const {
  if (length < 0) return false;
  const uint64_t position = source_.position();
  const uint64_t size = source_.size();
  return position <= size && static_cast<uint64_t>(length) <= size - position;
}

namespace {
template <typename T>
T fromLittleEndian(const uint8_t* bytes) {
  std::make_unsigned_t<T> value = 0;
  for (std::size_t i = 0; i < sizeof(T); ++i)
    value |= static_cast<std::make_unsigned_t<T>>(static_cast<std::make_unsigned_t<T>>(bytes[i]) << (8 * i));
  return static_cast<T>(value);
}
}  // namespace

std::optional<int32_t> BlockReader::readInt() {
  uint8_t bytes[4];
  uint32_t bytesRead, systemError;
  if (error_ != BlockError::None) return std::nullopt;
  if (!readExact(bytes, 4, bytesRead, systemError)) {
    logMessage("error %d %d\n", static_cast<int>(systemError), static_cast<int>(bytesRead));
    fail(BlockError::ReadInt);
    return std::nullopt;
  }
  return fromLittleEndian<int32_t>(bytes);
}

std::optional<int16_t> BlockReader::readShort() {
  uint8_t bytes[2];
  uint32_t bytesRead, systemError;
  if (error_ != BlockError::None) return std::nullopt;
  if (!readExact(bytes, 2, bytesRead, systemError)) {
    logMessage("error %d\n", static_cast<int>(systemError));
    fail(BlockError::ReadShort);
    return std::nullopt;
  }
  return fromLittleEndian<int16_t>(bytes);
}

std::optional<int64_t> BlockReader::readLong() {
  uint8_t bytes[8];
  uint32_t bytesRead, systemError;
  if (error_ != BlockError::None) return std::nullopt;
  if (!readExact(bytes, 8, bytesRead, systemError)) {
    logMessage("error %d\n", static_cast<int>(systemError));
    fail(BlockError::ReadLong);
    return std::nullopt;
  }
  return fromLittleEndian<int64_t>(bytes);
}

std::optional<std::string> BlockReader::readString() {
  auto length = readInt();
  if (!length) return std::nullopt;
  // A negative length, or one beyond the end of the file, is malformed; it is
  // rejected before anything is allocated.
  if (!lengthFits(*length)) {
    fail(BlockError::ReadString);
    return std::nullopt;
  }
  std::string text(static_cast<std::size_t>(*length), '\0');
  uint32_t bytesRead, systemError;
  if (*length > 0 && !readExact(text.data(), static_cast<uint32_t>(*length), bytesRead, systemError)) {
    fail(BlockError::ReadString);
    return std::nullopt;
  }
  return text;
}

std::optional<WideString> BlockReader::readWString() {
  auto length = readInt();
  if (!length) return std::nullopt;
  if (!lengthFits(*length)) {
    fail(BlockError::ReadWString);
    return std::nullopt;
  }
  std::vector<uint8_t> bytes(static_cast<std::size_t>(*length));
  uint32_t bytesRead, systemError;
  if (*length > 0 && !readExact(bytes.data(), static_cast<uint32_t>(*length), bytesRead, systemError)) {
    fail(BlockError::ReadWString);
    return std::nullopt;
  }
  WideString text(bytes.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return text;
}

namespace {

struct SectionLocation {
  uint32_t numberOfSections;
  uint32_t optionalHeaderSize;
  uint32_t lastHeader;
  uint32_t rawDataSize;
  uint32_t rawDataOffset;
};

// Reads the PE headers; positions are 32-bit offsets from the start.
std::optional<SectionLocation> locateLastSection(BlockReader& reader, bool log) {
  ByteSource& source = reader.source();
  SectionLocation location{};
  source.seek(60);
  auto peHeader = reader.readInt();
  if (!peHeader) return std::nullopt;
  const uint32_t e_lfanew = static_cast<uint32_t>(*peHeader);
  source.seek(e_lfanew + 6);
  auto sections = reader.readShort();
  if (!sections) return std::nullopt;
  location.numberOfSections = static_cast<uint16_t>(*sections);
  if (log) logMessage("number of sections: %d", static_cast<int>(location.numberOfSections));
  source.seek(e_lfanew + 20);
  auto optionalSize = reader.readShort();
  if (!optionalSize) return std::nullopt;
  location.optionalHeaderSize = static_cast<uint16_t>(*optionalSize);
  if (log) logMessage("size of optional headers: %d", static_cast<int>(location.optionalHeaderSize));
  // The table starts 24 bytes behind the PE header plus the optional header;
  // SizeOfRawData lies 16 bytes into each 40-byte section header.
  const uint32_t rawSizeField = e_lfanew + location.optionalHeaderSize + 40u * location.numberOfSections;
  location.lastHeader = rawSizeField - 16;
  if (log) logMessage("resSectionTableStart: %d", static_cast<int>(location.lastHeader));
  source.seek(rawSizeField);
  auto rawSize = reader.readInt();
  if (!rawSize) return std::nullopt;
  source.seek(rawSizeField + 4);
  auto rawOffset = reader.readInt();
  if (!rawOffset) return std::nullopt;
  location.rawDataSize = static_cast<uint32_t>(*rawSize);
  location.rawDataOffset = static_cast<uint32_t>(*rawOffset);
  if (log)
    logMessage("rawDataSize: %d, rawDataOffset: %d", static_cast<int>(location.rawDataSize),
               static_cast<int>(location.rawDataOffset));
  return location;
}

}  // namespace

bool seekToAppendedBlock(BlockReader& reader) {
  auto location = locateLastSection(reader, true);
  if (!location) return false;
  reader.source().seek(location->rawDataOffset + location->rawDataSize);
  return true;
}

std::optional<uint32_t> appendedBlockOffset(ByteSource& source) {
  BlockReader reader(source);
  auto location = locateLastSection(reader, false);
  if (!location) return std::nullopt;
  return location->rawDataOffset + location->rawDataSize;
}

ConfigurationResult readConfiguration(BlockReader& reader, SettingsStore& store,
                                      const std::function<std::optional<std::string>()>& userLocaleName) {
  ConfigurationResult result;
  auto fail = [&]() {
    result.error = reader.error();
    return result;
  };

  auto magic = reader.readInt();
  if (!magic) return fail();
  if (static_cast<uint32_t>(*magic) != kBlockMagic) {
    result.error = BlockError::Magic;
    return result;
  }
  // Integrity flag, checksum and covered length are the integrity check's.
  if (!reader.readInt() || !reader.readInt() || !reader.readLong()) return fail();

  auto narrowCount = reader.readInt();
  if (!narrowCount) return fail();
  for (int32_t i = 0; i < *narrowCount; ++i) {
    auto id = reader.readInt();
    if (!id) return fail();
    auto text = reader.readString();
    if (!text) return fail();
    store.narrow[*id] = std::move(*text);
  }

  auto wideCount = reader.readInt();
  if (!wideCount) return fail();
  for (int32_t i = 0; i < *wideCount; ++i) {
    auto id = reader.readInt();
    if (!id) return fail();
    auto text = reader.readWString();
    if (!text) return fail();
    store.wide[*id] = std::move(*text);
  }

  auto setCount = reader.readInt();
  if (!setCount) return fail();
  std::optional<std::string> locale;
  if (*setCount > 0) locale = userLocaleName();
  for (int32_t set = 0; set < *setCount; ++set) {
    auto setName = reader.readString();
    if (!setName) return fail();
    auto messageCount = reader.readInt();
    if (!messageCount) return fail();
    // The set's name compares as the zero-terminated text it is kept as.
    const std::string_view name = setName->c_str();
    const bool applies = locale && locale->compare(0, name.size(), name) == 0 && locale->size() >= name.size();
    for (int32_t i = 0; i < *messageCount; ++i) {
      auto id = reader.readInt();
      if (!id) return fail();
      auto text = reader.readWString();
      if (!text) return fail();
      if (applies) store.wide[*id] = std::move(*text);
    }
  }
  result.configurationEnd = static_cast<uint32_t>(reader.source().position());
  return result;
}

}  // namespace launcher
