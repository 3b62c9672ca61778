#include "inspect.h"

#include <cstdio>
#include <map>

#include "catalogue.h"
#include "config/block_format.h"
#include "config/settings.h"
#include "text_encoding.h"

namespace launcher::stamp {
namespace {

// Narrow texts are shown byte for byte: their code page is not recorded in
// the block, so bytes above 0x7F are escaped rather than guessed at.
std::string narrowShown(std::string_view text) { return quoted(text, false); }
std::string unicodeShown(std::string_view utf8) { return quoted(utf8, true); }

std::string hex32(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08X", value);
  return text;
}

class BigEndianReader {
 public:
  BigEndianReader(std::span<const uint8_t> bytes, uint64_t position) : bytes_(bytes), position_(position) {}
  bool has(uint64_t count) const { return position_ <= bytes_.size() && count <= bytes_.size() - position_; }
  std::optional<uint64_t> read(int size) {
    if (!has(static_cast<uint64_t>(size))) return std::nullopt;
    uint64_t value = 0;
    for (int i = 0; i < size; ++i) value = (value << 8) | bytes_[position_++];
    return value;
  }
  bool skip(uint64_t count) {
    if (!has(count)) return false;
    position_ += count;
    return true;
  }
  uint64_t position() const { return position_; }

 private:
  std::span<const uint8_t> bytes_;
  uint64_t position_;
};

void readJavaSide(std::span<const uint8_t> bytes, Inspection& out, uint64_t start) {
  BigEndianReader reader(bytes, start);
  out.blockEnd = start;
  const std::optional<uint64_t> magic = reader.read(4);
  if (magic != kJavaSideMagic) {
    out.damage = "no Java-side block at offset " + std::to_string(start);
    return;
  }
  const std::optional<uint64_t> count = reader.read(4);
  if (!count) {
    out.damage = "the Java-side block ends inside its entry count";
    return;
  }
  out.hasJavaSide = true;
  const auto entries = static_cast<int32_t>(*count);
  for (int32_t i = 0; i < entries; ++i) {
    const std::optional<uint64_t> nameLength = reader.read(2);
    std::vector<uint8_t> name;
    if (nameLength && reader.has(*nameLength))
      name.assign(bytes.begin() + static_cast<std::ptrdiff_t>(reader.position()),
                  bytes.begin() + static_cast<std::ptrdiff_t>(reader.position() + *nameLength));
    const std::optional<uint64_t> size = nameLength && reader.skip(*nameLength) ? reader.read(8) : std::nullopt;
    if (!size || static_cast<int64_t>(*size) < 0 || !reader.skip(*size)) {
      out.damage = "Java-side entry " + std::to_string(i) + " reaches beyond the end of the file";
      out.blockEnd = reader.position();
      return;
    }
    out.javaSide.push_back({fromModifiedUtf8(name), static_cast<int64_t>(*size)});
  }
  out.blockEnd = reader.position();
}

// The included files as the launchers find them: as many as setting 2002
// says, while setting 2003 still has a name.
void readIncludedFiles(std::span<const uint8_t> bytes, Inspection& out, BlockReader& reader) {
  std::map<int32_t, std::string> settings;
  for (const auto& [id, text] : out.narrow) settings[id] = text;  // the later duplicate wins
  const int32_t count = parseAtoi(settings[kIncludedFileCountId]);
  const std::string& names = settings[kIncludedFileNamesId];
  std::size_t at = 0;
  for (int32_t done = 0; done < count;) {
    while (at < names.size() && names[at] == ';') ++at;
    if (at >= names.size()) break;
    std::size_t end = names.find(';', at);
    if (end == std::string::npos) end = names.size();
    Inspection::IncludedFile file;
    file.name = names.substr(at, end - at);
    at = end;
    const std::optional<int64_t> size = reader.readLong();
    if (!size) {
      out.damage = "the size of included file " + narrowShown(file.name) + " is missing";
      return;
    }
    file.size = *size;
    const uint64_t position = reader.source().position();
    if (*size > 0) {
      if (static_cast<uint64_t>(*size) > bytes.size() - position) {
        out.damage = "included file " + narrowShown(file.name) + " reaches beyond the end of the file";
        out.includedFiles.push_back(file);
        return;
      }
      reader.source().seek(static_cast<uint32_t>(position + static_cast<uint64_t>(*size)));
    }
    out.includedFiles.push_back(file);
    ++done;
  }
  readJavaSide(bytes, out, reader.source().position());
}

}  // namespace

InspectionResult inspectExecutable(std::span<const uint8_t> executable) {
  InspectionResult result;
  const ImageEndResult imageEnd = findImageEnd(executable);
  if (!imageEnd.ok()) {
    result.error = imageEnd.error;
    return result;
  }
  Inspection& out = result.inspection;
  out.fileSize = executable.size();
  out.blockOffset = imageEnd.offset;
  out.blockEnd = imageEnd.offset;

  launcher::MemorySource source(executable.data(), executable.size());
  source.seek(imageEnd.offset);
  BlockReader reader(source);
  const std::optional<int32_t> magic = reader.readInt();
  if (!magic || static_cast<uint32_t>(*magic) != kBlockMagic) return result;
  out.hasBlock = true;

  const std::optional<int32_t> flag = reader.readInt();
  const std::optional<int32_t> checksum = reader.readInt();
  const std::optional<int64_t> covered = reader.readLong();
  if (!covered) {
    out.damage = "the header is incomplete";
    return result;
  }
  out.integrityFlag = *flag;
  out.storedChecksum = static_cast<uint32_t>(*checksum);
  out.coveredLength = *covered;
  const uint64_t coveredStart = uint64_t{imageEnd.offset} + kBlockHeaderSize;
  if (*covered >= 0 && static_cast<uint64_t>(*covered) <= executable.size() - coveredStart) {
    out.coveredInFile = true;
    out.computedChecksum = blockChecksum(executable.subspan(coveredStart, static_cast<std::size_t>(*covered)));
    out.checksumMatches = out.computedChecksum == out.storedChecksum;
  }

  const auto stop = [&]() {
    out.damage = blockErrorMessage(reader.error());
    out.blockEnd = source.position();
    return result;
  };
  const std::optional<int32_t> narrowCount = reader.readInt();
  if (!narrowCount) return stop();
  for (int32_t i = 0; i < *narrowCount; ++i) {
    const std::optional<int32_t> id = reader.readInt();
    std::optional<std::string> text = id ? reader.readString() : std::nullopt;
    if (!text) return stop();
    out.narrow.emplace_back(*id, std::move(*text));
  }
  const std::optional<int32_t> wideCount = reader.readInt();
  if (!wideCount) return stop();
  for (int32_t i = 0; i < *wideCount; ++i) {
    const std::optional<int32_t> id = reader.readInt();
    std::optional<std::u16string> text = id ? reader.readWString() : std::nullopt;
    if (!text) return stop();
    out.wide.emplace_back(*id, std::move(*text));
  }
  const std::optional<int32_t> setCount = reader.readInt();
  if (!setCount) return stop();
  for (int32_t s = 0; s < *setCount; ++s) {
    BlockContents::LocalizedSet set;
    std::optional<std::string> locale = reader.readString();
    const std::optional<int32_t> messageCount = locale ? reader.readInt() : std::nullopt;
    if (!messageCount) return stop();
    set.locale = std::move(*locale);
    for (int32_t i = 0; i < *messageCount; ++i) {
      const std::optional<int32_t> id = reader.readInt();
      std::optional<std::u16string> text = id ? reader.readWString() : std::nullopt;
      if (!text) return stop();
      set.messages.emplace_back(*id, std::move(*text));
    }
    out.localized.push_back(std::move(set));
  }
  readIncludedFiles(executable, out, reader);
  return result;
}

std::string describeInspection(const Inspection& in) {
  std::string out;
  const auto line = [&](const std::string& text) { out += text + "\n"; };
  line("file size: " + std::to_string(in.fileSize));
  line("block offset: " + std::to_string(in.blockOffset));
  if (!in.hasBlock) {
    line("block: none");
    return out;
  }
  line("block: present");
  line("integrity flag: " + std::to_string(in.integrityFlag));
  if (!in.coveredInFile)
    line("checksum: " + hex32(in.storedChecksum) + " cannot be checked (the covered length reaches beyond the file)");
  else if (in.checksumMatches)
    line("checksum: " + hex32(in.storedChecksum) + " matches");
  else
    line("checksum: " + hex32(in.storedChecksum) + " does not match (computed " + hex32(in.computedChecksum) + ")");
  line("covered length: " + std::to_string(in.coveredLength));

  line("narrow entries: " + std::to_string(in.narrow.size()));
  for (const auto& [id, text] : in.narrow) {
    const std::string_view name = settingName(id);
    line("setting " + std::to_string(id) + (name.empty() ? "" : " " + std::string(name)) + ": " + narrowShown(text));
  }
  line("wide entries: " + std::to_string(in.wide.size()));
  for (const auto& [id, text] : in.wide) line("wide " + std::to_string(id) + ": " + unicodeShown(utf16ToUtf8(text)));
  line("localized sets: " + std::to_string(in.localized.size()));
  for (const BlockContents::LocalizedSet& set : in.localized) {
    const std::string locale = narrowShown(set.locale);
    line("localized " + locale + " messages: " + std::to_string(set.messages.size()));
    for (const auto& [id, text] : set.messages)
      line("localized " + locale + " " + std::to_string(id) + ": " + unicodeShown(utf16ToUtf8(text)));
  }
  line("included files: " + std::to_string(in.includedFiles.size()));
  for (const Inspection::IncludedFile& file : in.includedFiles)
    line("included file " + narrowShown(file.name) + ": " + std::to_string(file.size) + " bytes");
  if (in.hasJavaSide) {
    line("java-side entries: " + std::to_string(in.javaSide.size()));
    for (const Inspection::JavaSideEntry& entry : in.javaSide)
      line("java-side entry " + unicodeShown(entry.name) + ": " + std::to_string(entry.size) + " bytes");
  }
  line("block end: " + std::to_string(in.blockEnd));
  if (!in.damage.empty()) {
    line("damaged: " + in.damage);
  } else {
    const uint64_t coveredEnd = uint64_t{in.blockOffset} + kBlockHeaderSize + static_cast<uint64_t>(in.coveredLength);
    line(std::string("covered length ") + (coveredEnd == in.blockEnd ? "ends at the block end" : "does not end at the block end"));
    line("padding: " + std::to_string(in.fileSize - in.blockEnd) + " bytes");
  }
  return out;
}

}  // namespace launcher::stamp
