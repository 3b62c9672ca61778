#include "stamp_test_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace launcher::stamp::testing {
namespace {

void put16(std::vector<uint8_t>& bytes, std::size_t at, uint16_t value) {
  bytes[at] = static_cast<uint8_t>(value);
  bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}

void put32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

std::vector<uint8_t> makePe(const std::vector<SectionSpec>& sections, uint16_t optionalHeaderSize) {
  constexpr uint32_t peHeader = 0x40;
  const std::size_t table = peHeader + 24 + optionalHeaderSize;
  std::size_t size = table + 40 * sections.size();
  for (const SectionSpec& section : sections) size = std::max<std::size_t>(size, section.rawOffset + section.rawSize);
  std::vector<uint8_t> pe(size, 0);
  pe[0] = 'M';
  pe[1] = 'Z';
  put32(pe, 60, peHeader);
  pe[peHeader] = 'P';
  pe[peHeader + 1] = 'E';
  put16(pe, peHeader + 4, 0x8664);
  put16(pe, peHeader + 6, static_cast<uint16_t>(sections.size()));
  put16(pe, peHeader + 20, optionalHeaderSize);
  put16(pe, peHeader + 22, 0x0022);
  if (optionalHeaderSize >= 2) put16(pe, peHeader + 24, 0x020B);
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const std::size_t header = table + 40 * i;
    for (std::size_t c = 0; c < sections[i].name.size() && c < 8; ++c)
      pe[header + c] = static_cast<uint8_t>(sections[i].name[c]);
    put32(pe, header + 8, sections[i].rawSize);
    put32(pe, header + 12, static_cast<uint32_t>(0x1000 * (i + 1)));
    put32(pe, header + 16, sections[i].rawSize);
    put32(pe, header + 20, sections[i].rawOffset);
    for (uint32_t b = 0; b < sections[i].rawSize; ++b)
      pe[sections[i].rawOffset + b] = static_cast<uint8_t>(0x11 * (i + 1) + b);
  }
  return pe;
}

std::vector<uint8_t> smallPe() { return makePe({{".text", 0x200, 0x200}, {".rsrc", 0x400, 0x80}}); }

uint32_t referenceCrc32(const uint8_t* data, std::size_t size) {
  static const auto table = [] {
    std::vector<uint32_t> entries(256);
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      entries[n] = c;
    }
    return entries;
  }();
  uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

namespace {
uint64_t little(const std::vector<uint8_t>& bytes, std::size_t at, int size) {
  uint64_t value = 0;
  for (int i = 0; i < size; ++i) value |= uint64_t{bytes.at(at + static_cast<std::size_t>(i))} << (8 * i);
  return value;
}
}  // namespace

uint32_t le32(const std::vector<uint8_t>& bytes, std::size_t at) { return static_cast<uint32_t>(little(bytes, at, 4)); }
uint64_t le64(const std::vector<uint8_t>& bytes, std::size_t at) { return little(bytes, at, 8); }

uint64_t be(const std::vector<uint8_t>& bytes, std::size_t at, int size) {
  uint64_t value = 0;
  for (int i = 0; i < size; ++i) value = (value << 8) | bytes.at(at + static_cast<std::size_t>(i));
  return value;
}

LauncherView readAsLauncher(const std::vector<uint8_t>& executable, std::optional<std::string> userLocale) {
  LauncherView view;
  MemorySource source(executable.data(), executable.size());
  BlockReader reader(source);
  if (!seekToAppendedBlock(reader)) {
    ADD_FAILURE() << "the launchers' PE walk failed";
    return view;
  }
  view.blockOffset = static_cast<uint32_t>(source.position());
  view.result = readConfiguration(reader, view.store, [&] { return userLocale; });
  return view;
}

ScratchDirectory::ScratchDirectory() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("stamp-test-" + std::to_string(random()) + "-" + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path ScratchDirectory::write(const std::string& relative, const std::string& content) const {
  return write(relative, std::vector<uint8_t>(content.begin(), content.end()));
}

std::filesystem::path ScratchDirectory::write(const std::string& relative, const std::vector<uint8_t>& content) const {
  const std::filesystem::path file = path_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(content.data()), static_cast<std::streamsize>(content.size()));
  return file;
}

std::vector<uint8_t> readAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace launcher::stamp::testing
