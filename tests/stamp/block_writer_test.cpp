// The block writer against the launchers' own reader and against the byte
// layout: every section, the header, the payload, padding and re-stamping.
#include "stamp/block_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "stamp_test_support.h"

namespace launcher::stamp {
namespace {

using testing::be;
using testing::le32;
using testing::le64;
using testing::readAsLauncher;
using testing::referenceCrc32;
using testing::smallPe;

std::vector<uint8_t> bytesOf(std::string_view text) { return std::vector<uint8_t>(text.begin(), text.end()); }

BlockContents everySection() {
  BlockContents contents;
  contents.integrity = true;
  contents.narrow = {{101, "Demo"}, {122, "first"}, {2002, "3"}, {2003, "a.jar;user\\b.jar;empty.txt;"},
                     {122, "com.example.Main"}, {-7, "negative id"}};
  contents.wide = {{20013, u"Wizard \u00e9\u20ac"}, {20016, u"corrupted"}, {20001, u"\U0001F600 astral"}};
  contents.localized = {{"de", {{20013, u"Assistent"}, {20016, u"besch\u00e4digt"}}},
                        {"de_CH", {{20013, u"Assistent CH"}}},
                        {"fr", {{20013, u"Assistant"}}}};
  contents.includedFiles = {bytesOf("PK\x03\x04 archive"), {0x00, kScrambleKey, 0xFF}, {}};
  contents.javaSide = {{"0.dat", bytesOf("zip bytes")}};
  return contents;
}

TEST(BlockWriter, EverySectionReadsBackThroughTheLaunchersReader) {
  const std::vector<uint8_t> launcher = smallPe();
  const StampResult stamped = stampExecutable(launcher, everySection());
  ASSERT_TRUE(stamped.ok()) << stamped.error;
  const std::vector<uint8_t>& exe = stamped.executable;

  testing::LauncherView view = readAsLauncher(exe, "de_CH");
  ASSERT_EQ(view.result.error, BlockError::None);
  EXPECT_EQ(view.blockOffset, launcher.size());
  EXPECT_TRUE(std::equal(launcher.begin(), launcher.end(), exe.begin())) << "the image must stay untouched";

  EXPECT_EQ(view.store.narrow.at(101), "Demo");
  EXPECT_EQ(view.store.narrow.at(122), "com.example.Main") << "duplicates are written in order";
  EXPECT_EQ(view.store.narrow.at(-7), "negative id");
  EXPECT_EQ(view.store.narrow.size(), 5u);
  EXPECT_EQ(view.store.wide.at(20013), u"Assistent CH") << "both sets apply, in file order";
  EXPECT_EQ(view.store.wide.at(20016), u"besch\u00e4digt");
  EXPECT_EQ(view.store.wide.at(20001), u"\U0001F600 astral");

  // Included files follow the configuration: a 64-bit size, then the bytes
  // exclusive-or the key; a file of size 0 is the size field alone.
  std::size_t at = view.result.configurationEnd;
  for (const std::vector<uint8_t>& file : everySection().includedFiles) {
    ASSERT_EQ(le64(exe, at), file.size()) << "at " << at;
    at += 8;
    for (std::size_t i = 0; i < file.size(); ++i)
      ASSERT_EQ(exe.at(at + i), static_cast<uint8_t>(file[i] ^ kScrambleKey)) << "byte " << i;
    at += file.size();
  }
  // The Java-side block comes directly behind them.
  EXPECT_EQ(be(exe, at, 4), 0xE8E413D5u);
  EXPECT_EQ(be(exe, at + 4, 4), 1u);
  EXPECT_EQ(be(exe, at + 8, 2), 5u);
  EXPECT_EQ(std::string(exe.begin() + static_cast<std::ptrdiff_t>(at + 10), exe.begin() + static_cast<std::ptrdiff_t>(at + 15)), "0.dat");
  EXPECT_EQ(be(exe, at + 15, 8), 9u);
  EXPECT_EQ(std::string(exe.begin() + static_cast<std::ptrdiff_t>(at + 23), exe.begin() + static_cast<std::ptrdiff_t>(at + 32)), "zip bytes");
  EXPECT_EQ(le64(exe, view.blockOffset + 12), at + 32 - view.blockOffset - 20) << "covered length ends with the Java side";
}

TEST(BlockWriter, HeaderCarriesTheFlagAndTheChecksumOfEverythingBehindIt) {
  for (bool integrity : {true, false}) {
    BlockContents contents = everySection();
    contents.integrity = integrity;
    const std::vector<uint8_t> block = serializeBlock(contents);
    ASSERT_GT(block.size(), 20u);
    EXPECT_EQ(le32(block, 0), 0xE8E413D5u);
    EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 4), (std::vector<uint8_t>{0xD5, 0x13, 0xE4, 0xE8}));
    EXPECT_EQ(le32(block, 4), integrity ? 1u : 0u);
    EXPECT_EQ(le64(block, 12), block.size() - 20);
    EXPECT_EQ(le32(block, 8), referenceCrc32(block.data() + 20, block.size() - 20));
  }
}

TEST(BlockWriter, ChecksumIsTheStandardCrc32) {
  const std::string check = "123456789";
  EXPECT_EQ(blockChecksum({reinterpret_cast<const uint8_t*>(check.data()), check.size()}), 0xCBF43926u);
  EXPECT_EQ(blockChecksum({}), 0u);
  std::vector<uint8_t> noise(70000);
  for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(i * 7919 >> 3);
  EXPECT_EQ(blockChecksum(noise), referenceCrc32(noise.data(), noise.size()));
}

TEST(BlockWriter, EmptyContentsAreAHeaderThreeZeroCountsAndAnEmptyJavaSide) {
  const std::vector<uint8_t> block = serializeBlock({});
  const std::vector<uint8_t> expectedTail = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xE8, 0xE4, 0x13, 0xD5, 0, 0, 0, 0};
  ASSERT_EQ(block.size(), 20 + expectedTail.size());
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + 20, block.end()), expectedTail);
}

TEST(BlockWriter, JavaSideNamesAreWrittenAsWriteUtfWithBigEndianSizes) {
  struct Case {
    std::string name;
    std::vector<uint8_t> expected;  // length field and bytes
  } cases[] = {
      {"0.dat", {0x00, 0x05, '0', '.', 'd', 'a', 't'}},
      {"", {0x00, 0x00}},
      {std::string("a\0b", 3), {0x00, 0x04, 'a', 0xC0, 0x80, 'b'}},
      {"\xC3\xA9", {0x00, 0x02, 0xC3, 0xA9}},                      // é stays two bytes
      {"\xE2\x82\xAC", {0x00, 0x03, 0xE2, 0x82, 0xAC}},            // €
      {"\xF0\x9F\x98\x80", {0x00, 0x06, 0xED, 0xA0, 0xBD, 0xED, 0xB8, 0x80}},  // U+1F600 as two surrogates
  };
  for (const Case& c : cases) {
    BlockContents contents;
    std::vector<uint8_t> data(300, 0x5A);
    contents.javaSide = {{c.name, data}, {"x", {}}};
    const std::vector<uint8_t> block = serializeBlock(contents);
    const std::size_t start = 20 + 12;
    EXPECT_EQ(be(block, start, 4), 0xE8E413D5u);
    EXPECT_EQ(be(block, start + 4, 4), 2u);
    const std::vector<uint8_t> name(block.begin() + start + 8, block.begin() + static_cast<std::ptrdiff_t>(start + 8 + c.expected.size()));
    EXPECT_EQ(name, c.expected) << c.name;
    const std::size_t size = start + 8 + c.expected.size();
    EXPECT_EQ(be(block, size, 8), 300u) << c.name;
    EXPECT_EQ(block.at(size + 8), 0x5A) << "Java-side data is not scrambled";
    EXPECT_EQ(be(block, size + 8 + 300, 2), 1u);
    EXPECT_EQ(be(block, size + 8 + 300 + 3, 8), 0u);
    EXPECT_EQ(block.size(), size + 8 + 300 + 3 + 8);
  }
}

TEST(StampExecutable, PadsWithZerosToTheNextMultipleOf512) {
  const std::vector<uint8_t> launcher = smallPe();
  const std::size_t bareBlock = serializeBlock({.narrow = {{101, ""}}}).size();
  const std::size_t unpadded = launcher.size() + bareBlock;
  // Texts that make the unpadded file end exactly on a boundary, one byte
  // behind it and one byte before it.
  const std::size_t toBoundary = (512 - unpadded % 512) % 512;
  for (std::size_t extra : {toBoundary, toBoundary + 1, toBoundary + 511, toBoundary + 512}) {
    BlockContents contents{.narrow = {{101, std::string(extra, 'n')}}};
    const StampResult stamped = stampExecutable(launcher, contents);
    ASSERT_TRUE(stamped.ok()) << stamped.error;
    const std::size_t blockEnd = unpadded + extra;
    const std::size_t expectedSize = (blockEnd + 511) / 512 * 512;
    EXPECT_EQ(stamped.executable.size(), expectedSize) << extra;
    EXPECT_TRUE(std::all_of(stamped.executable.begin() + static_cast<std::ptrdiff_t>(blockEnd), stamped.executable.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(le64(stamped.executable, launcher.size() + 12), blockEnd - launcher.size() - 20)
        << "padding is not covered";
  }
}

TEST(StampExecutable, RestampingReplacesTheBlockWhetherItGrowsOrShrinks) {
  const std::vector<uint8_t> launcher = smallPe();
  BlockContents big{.narrow = {{101, "big"}, {121, std::string(3000, 'c')}}};
  big.includedFiles = {std::vector<uint8_t>(2000, 1)};
  BlockContents small{.narrow = {{101, "small"}}};

  const StampResult first = stampExecutable(launcher, big);
  ASSERT_TRUE(first.ok());
  const StampResult shrunk = stampExecutable(first.executable, small);
  ASSERT_TRUE(shrunk.ok());
  EXPECT_LT(shrunk.executable.size(), first.executable.size());
  EXPECT_EQ(shrunk.executable, stampExecutable(launcher, small).executable);
  testing::LauncherView view = readAsLauncher(shrunk.executable);
  ASSERT_EQ(view.result.error, BlockError::None);
  EXPECT_EQ(view.store.narrow.at(101), "small");
  EXPECT_EQ(view.store.narrow.count(121), 0u);

  const StampResult grown = stampExecutable(shrunk.executable, big);
  ASSERT_TRUE(grown.ok());
  EXPECT_EQ(grown.executable, first.executable);
  EXPECT_EQ(readAsLauncher(grown.executable).store.narrow.at(101), "big");
}

TEST(StampExecutable, WhateverLiesBehindTheImageIsDropped) {
  std::vector<uint8_t> launcher = smallPe();
  const std::size_t imageEnd = launcher.size();
  // An overlay that is not a block, such as a signature, and stray bytes.
  for (char c : std::string("certificate table and more")) launcher.push_back(static_cast<uint8_t>(c));
  const StampResult stamped = stampExecutable(launcher, {.narrow = {{101, "x"}}});
  ASSERT_TRUE(stamped.ok());
  EXPECT_EQ(le32(stamped.executable, imageEnd), 0xE8E413D5u);
  EXPECT_EQ(readAsLauncher(stamped.executable).store.narrow.at(101), "x");
}

TEST(StampExecutable, SectionsWithoutRawDataDoNotHoldTheCutBack) {
  // An uninitialized-data section may name any raw offset; it has no bytes
  // that cutting could destroy.
  const std::vector<uint8_t> launcher =
      testing::makePe({{".text", 0x200, 0x200}, {".bss", 0x9000, 0}, {".rsrc", 0x400, 0x80}});
  const StampResult stamped = stampExecutable(launcher, {});
  ASSERT_TRUE(stamped.ok()) << stamped.error;
  EXPECT_EQ(readAsLauncher(stamped.executable).blockOffset, 0x480u);
}

TEST(StampExecutable, RefusesWhatItCannotStampSafely) {
  std::vector<uint8_t> noMz = smallPe();
  noMz[0] = 'Z';
  std::vector<uint8_t> noPe = smallPe();
  noPe[0x41] = 'X';
  std::vector<uint8_t> peHeaderBeyondFile = smallPe();
  peHeaderBeyondFile[60] = 0xF0;
  peHeaderBeyondFile[61] = 0xFF;
  std::vector<uint8_t> truncated = smallPe();
  truncated.resize(0x440);
  std::vector<uint8_t> tableBeyondFile = testing::makePe({{".text", 0x200, 0x40}});
  tableBeyondFile[0x46] = 40;  // forty sections claimed, one present
  struct Case {
    const char* description;
    std::vector<uint8_t> launcher;
    const char* expected;
  } cases[] = {
      {"empty file", {}, "not a PE executable (no MZ signature)"},
      {"no MZ", noMz, "not a PE executable (no MZ signature)"},
      {"no PE signature", noPe, "not a PE executable (no PE signature)"},
      {"PE header beyond the file", peHeaderBeyondFile, "not a PE executable (no PE signature)"},
      {"no sections", testing::makePe({}), "the PE image has no sections"},
      {"section table beyond the file", tableBeyondFile, "the PE section table lies beyond the end of the file"},
      {"last section cut short", truncated, "the last section ends at 0x480, beyond the end of the file (1088 bytes)"},
      {"last header is not the section that ends last",
       testing::makePe({{".rsrc", 0x400, 0x80}, {".text", 0x200, 0x200}}),
       "the last section header (\".text\") does not describe the section whose raw data ends last (\".rsrc\" ends at "
       "0x480, behind 0x400); cutting there would destroy image data"},
  };
  for (const Case& c : cases) {
    const StampResult stamped = stampExecutable(c.launcher, {});
    EXPECT_EQ(stamped.error, c.expected) << c.description;
    EXPECT_TRUE(stamped.executable.empty()) << c.description;
  }
}

#ifdef STAMP_WINDOWS_APP_LAUNCHER
TEST(StampExecutable, RealApplicationLauncherKeepsItsImageAndReadsBack) {
  const std::filesystem::path path = STAMP_WINDOWS_APP_LAUNCHER;
  if (!std::filesystem::exists(path)) GTEST_SKIP() << path << " has not been built";
  const std::vector<uint8_t> launcher = testing::readAll(path);
  const StampResult stamped = stampExecutable(launcher, everySection());
  ASSERT_TRUE(stamped.ok()) << stamped.error;
  testing::LauncherView view = readAsLauncher(stamped.executable, "de");
  ASSERT_EQ(view.result.error, BlockError::None);
  ASSERT_LE(view.blockOffset, launcher.size());
  EXPECT_TRUE(std::equal(launcher.begin(), launcher.begin() + view.blockOffset, stamped.executable.begin()));
  EXPECT_EQ(view.store.narrow.at(122), "com.example.Main");
  EXPECT_EQ(view.store.wide.at(20013), u"Assistent");
  EXPECT_EQ(stamped.executable.size() % 512, 0u);
}
#endif

}  // namespace
}  // namespace launcher::stamp
