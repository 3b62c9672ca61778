// The reader of the appended block against hand-built byte images: every
// section, the locale rules, and blocks cut or damaged anywhere.
#include "config/block_format.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "support/log_recorder.h"

namespace launcher {
namespace {

// Appends raw little-endian fields; lengths are written as given, so tests can
// make them negative or too large.
class Bytes {
 public:
  Bytes& i32(int32_t v) { return field(&v, 4, BlockError::ReadInt); }
  Bytes& u32(uint32_t v) { return field(&v, 4, BlockError::ReadInt); }
  Bytes& i16(int16_t v) { return field(&v, 2, BlockError::ReadShort); }
  Bytes& i64(int64_t v) { return field(&v, 8, BlockError::ReadLong); }
  Bytes& str(const std::string& s) {
    return i32(static_cast<int32_t>(s.size())).field(s.data(), s.size(), BlockError::ReadString);
  }
  Bytes& wstr(const std::u16string& s) {
    i32(static_cast<int32_t>(s.size() * 2));
    std::vector<uint8_t> bytes;
    for (char16_t c : s) {
      bytes.push_back(static_cast<uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    return field(bytes.data(), bytes.size(), BlockError::ReadWString);
  }
  Bytes& raw(const void* p, std::size_t n) { return field(p, n, BlockError::None); }
  Bytes& header() { return u32(kBlockMagic).i32(0).u32(0).i64(0); }

  // The failure a reader reports for the image cut to length bytes: the one
  // of the first field that is not complete.
  BlockError failureWhenCutAt(std::size_t length) const {
    for (const Field& f : fields)
      if (f.size > 0 && f.start + f.size > length) return f.kind;
    return BlockError::None;
  }

  std::vector<uint8_t> data;

 private:
  struct Field {
    std::size_t start, size;
    BlockError kind;
  };
  Bytes& field(const void* p, std::size_t n, BlockError kind) {
    fields.push_back({data.size(), n, kind});
    const auto* b = static_cast<const uint8_t*>(p);
    data.insert(data.end(), b, b + n);
    return *this;
  }
  std::vector<Field> fields;
};

struct ReadOutcome {
  ConfigurationResult result;
  SettingsStore store;
  int localeQueries = 0;
};

ReadOutcome readBlock(const std::vector<uint8_t>& bytes, std::optional<std::string> locale = std::nullopt) {
  ReadOutcome outcome;
  MemorySource source(bytes.data(), bytes.size());
  BlockReader reader(source);
  outcome.result = readConfiguration(reader, outcome.store, [&]() {
    ++outcome.localeQueries;
    return locale;
  });
  return outcome;
}

TEST(BlockReader, EmptySectionsReadWithoutErrorAndEndBehindTheLastCount) {
  Bytes b;
  b.header().i32(0).i32(0).i32(0);
  ReadOutcome out = readBlock(b.data);
  EXPECT_EQ(out.result.error, BlockError::None);
  EXPECT_TRUE(out.store.narrow.empty());
  EXPECT_TRUE(out.store.wide.empty());
  EXPECT_EQ(out.result.configurationEnd, b.data.size());
  EXPECT_EQ(out.localeQueries, 0);
}

TEST(BlockReader, ReadsNarrowAndWideEntriesAndTheLaterDuplicateWins) {
  Bytes b;
  b.header().i32(3).i32(122).str("first").i32(101).str("App").i32(122).str("second");
  b.i32(1).i32(20013).wstr(u"Wizard \u00e9\u20ac");
  b.i32(0);
  b.raw("trailing", 8);  // included files start here
  ReadOutcome out = readBlock(b.data);
  ASSERT_EQ(out.result.error, BlockError::None);
  EXPECT_EQ(out.store.narrow.at(122), "second");
  EXPECT_EQ(out.store.narrow.at(101), "App");
  EXPECT_EQ(out.store.wide.at(20013), u"Wizard \u00e9\u20ac");
  EXPECT_EQ(out.result.configurationEnd, b.data.size() - 8);
}

TEST(BlockReader, NegativeCountsMeanNoEntries) {
  Bytes b;
  b.header().i32(-5).i32(INT32_MIN).i32(-1);
  EXPECT_EQ(readBlock(b.data).result.error, BlockError::None);
}

struct LocaleCase {
  const char* description;
  std::optional<std::string> userLocale;
  std::vector<std::string> setOrder;  // each set carries 20013 = its own name
  const char16_t* expected;           // nullptr: the unlocalized text stays
  friend void PrintTo(const LocaleCase& c, std::ostream* os) { *os << c.description; }
};

class LocalizedSets : public ::testing::TestWithParam<LocaleCase> {};

TEST_P(LocalizedSets, ApplyByPrefixAndTheLaterSetWins) {
  const LocaleCase& c = GetParam();
  Bytes b;
  b.header().i32(1).i32(20013).str("narrow stays");
  b.i32(1).i32(20013).wstr(u"plain");
  b.i32(static_cast<int32_t>(c.setOrder.size()));
  for (const std::string& name : c.setOrder) {
    b.str(name).i32(2).i32(20013).wstr(std::u16string(name.begin(), name.end())).i32(30000 + static_cast<int>(name.size())).wstr(u"extra");
  }
  ReadOutcome out = readBlock(b.data, c.userLocale);
  ASSERT_EQ(out.result.error, BlockError::None) << c.description;
  EXPECT_EQ(out.localeQueries, c.setOrder.empty() ? 0 : 1) << c.description;
  EXPECT_EQ(out.store.wide.at(20013), c.expected ? c.expected : u"plain") << c.description;
  EXPECT_EQ(out.store.narrow.at(20013), "narrow stays") << c.description;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LocalizedSets,
    ::testing::Values(
        LocaleCase{"de then de_CH for de_CH: de_CH wins", "de_CH", {"de", "de_CH"}, u"de_CH"},
        LocaleCase{"de_CH then de for de_CH: de wins", "de_CH", {"de_CH", "de"}, u"de"},
        LocaleCase{"de_CH does not apply for de", "de", {"de_CH"}, nullptr},
        LocaleCase{"an empty name applies to everyone with a locale", "fr_FR", {""}, u""},
        LocaleCase{"no user locale: even the empty name does not apply", std::nullopt, {"", "de"}, nullptr},
        LocaleCase{"case-sensitive", "de_CH", {"DE"}, nullptr},
        LocaleCase{"no sets: the locale is not even asked", "de_CH", {}, nullptr}),
    [](const auto& info) { return "Case" + std::to_string(info.index); });

// A well-formed block with every section, cut at every length.
TEST(BlockReader, EveryCutOffEndsWithTheMessageOfTheFieldItFallsIn) {
  Bytes b;
  b.header().i32(2).i32(101).str("Demo").i32(122).str("com.example.Main");
  b.i32(1).i32(20013).wstr(u"Title");
  b.i32(1).str("de").i32(1).i32(20013).wstr(u"Titel");
  ASSERT_EQ(readBlock(b.data, "de").result.error, BlockError::None);
  for (std::size_t length = 0; length < b.data.size(); ++length) {
    std::vector<uint8_t> cut(b.data.begin(), b.data.begin() + static_cast<std::ptrdiff_t>(length));
    const BlockError expected = b.failureWhenCutAt(length);
    ASSERT_NE(expected, BlockError::None);
    EXPECT_EQ(readBlock(cut, "de").result.error, expected) << "cut at " << length;
  }
}

TEST(BlockReader, CutInsideTheNarrowEntriesNamesIntOrString) {
  Bytes b;
  b.header().i32(2).i32(101);
  EXPECT_EQ(readBlock(b.data).result.error, BlockError::ReadInt);  // length missing
  b.i32(10).raw("abc", 3);
  EXPECT_EQ(readBlock(b.data).result.error, BlockError::ReadString);  // text cut short
}

TEST(BlockReader, MalformedLengthsAreRejectedWithoutAllocating) {
  struct Case {
    int32_t length;
    bool wide;
    BlockError expected;
  } cases[] = {
      {-1, false, BlockError::ReadString},       {INT32_MIN, false, BlockError::ReadString},
      {INT32_MAX, false, BlockError::ReadString}, {-2, true, BlockError::ReadWString},
      {INT32_MAX, true, BlockError::ReadWString},
  };
  for (const Case& c : cases) {
    Bytes b;
    b.header();
    if (c.wide) b.i32(0).i32(1).i32(20001).i32(c.length);
    else b.i32(1).i32(101).i32(c.length);
    b.raw("padding bytes", 13);
    EXPECT_EQ(readBlock(b.data).result.error, c.expected) << c.length;
  }
}

TEST(BlockReader, AnyOtherMagicStopsEvenWhenTheRestIsWellFormed) {
  Bytes b;
  b.header().i32(1).i32(101).str("Demo").i32(0).i32(0);
  const std::vector<uint8_t> block = b.data;
  for (std::size_t byte = 0; byte < 4; ++byte) {
    std::vector<uint8_t> damaged = block;
    damaged[byte] ^= 0x01;
    EXPECT_EQ(readBlock(damaged).result.error, BlockError::Magic) << byte;
  }
  EXPECT_EQ(readBlock({}).result.error, BlockError::ReadInt);
}

TEST(BlockReader, HugeCountsFailAtTheFirstMissingFieldInsteadOfLooping) {
  Bytes b;
  b.header().i32(INT32_MAX).i32(1).str("x");
  EXPECT_EQ(readBlock(b.data).result.error, BlockError::ReadInt);
}

TEST(BlockReader, WideStringOfOddLengthKeepsWholeUnitsOnly) {
  Bytes b;
  b.header().i32(0).i32(1).i32(20001).i32(3).raw("a\0b", 3).i32(0);
  ReadOutcome out = readBlock(b.data);
  ASSERT_EQ(out.result.error, BlockError::None);
  EXPECT_EQ(out.store.wide.at(20001), u"a");
}

TEST(BlockReader, FailedReadsLogTheirLines) {
  testing::clearRecordedLog();
  Bytes b;
  b.u32(kBlockMagic).raw("\x01\x02", 2);
  EXPECT_EQ(readBlock(b.data).result.error, BlockError::ReadInt);
  ASSERT_FALSE(testing::recordedLogLines().empty());
  EXPECT_EQ(testing::recordedLogLines().back(), "error 0 2\n");
}

TEST(BlockReader, MessagesOfEveryFailure) {
  EXPECT_STREQ(blockErrorMessage(BlockError::Magic), "Internal Error: magic");
  EXPECT_STREQ(blockErrorMessage(BlockError::ReadInt), "Internal Error: readInt");
  EXPECT_STREQ(blockErrorMessage(BlockError::ReadShort), "Internal Error: readShort");
  EXPECT_STREQ(blockErrorMessage(BlockError::ReadLong), "Internal Error: readLong");
  EXPECT_STREQ(blockErrorMessage(BlockError::ReadString), "Internal Error: readString");
  EXPECT_STREQ(blockErrorMessage(BlockError::ReadWString), "Internal Error: readWString");
}

// A minimal PE skeleton: e_lfanew, the file header fields the reader uses and
// a section table whose headers are given as (raw size, raw offset).
std::vector<uint8_t> peImage(const std::vector<std::pair<uint32_t, uint32_t>>& sections, uint16_t optionalSize = 240) {
  const uint32_t peOffset = 128;
  std::vector<uint8_t> image(peOffset + 24 + optionalSize + 40 * sections.size(), 0);
  std::memcpy(&image[60], &peOffset, 4);
  const uint16_t count = static_cast<uint16_t>(sections.size());
  std::memcpy(&image[peOffset + 6], &count, 2);
  std::memcpy(&image[peOffset + 20], &optionalSize, 2);
  for (std::size_t i = 0; i < sections.size(); ++i) {
    const std::size_t header = peOffset + 24 + optionalSize + 40 * i;
    std::memcpy(&image[header + 16], &sections[i].first, 4);
    std::memcpy(&image[header + 20], &sections[i].second, 4);
  }
  return image;
}

TEST(AppendedBlockLocation, BehindTheSectionOfTheLastHeaderEvenWhenAnotherEndsLater) {
  const auto image = peImage({{0x200, 0x1000}, {0x100, 0x400}, {0x80, 0x600}});
  MemorySource source(image.data(), image.size());
  ASSERT_EQ(appendedBlockOffset(source), 0x680u);

  testing::clearRecordedLog();
  BlockReader reader(source);
  ASSERT_TRUE(seekToAppendedBlock(reader));
  EXPECT_EQ(source.position(), 0x680u);
  const std::vector<std::string> expected = {
      "number of sections: 3", "size of optional headers: 240",
      "resSectionTableStart: " + std::to_string(128 + 24 + 240 + 80), "rawDataSize: 128, rawDataOffset: 1536"};
  EXPECT_EQ(testing::recordedLogLines(), expected);
}

TEST(AppendedBlockLocation, TruncatedHeadersFailWithTheFieldsMessage) {
  const auto image = peImage({{0x200, 0x400}});
  struct Case {
    std::size_t length;
    BlockError expected;
  } cases[] = {// e_lfanew at 60, the section count at 134, the optional header size at 148,
               // raw size and offset at 16 and 20 bytes into the last header.
               {10, BlockError::ReadInt}, {135, BlockError::ReadShort}, {149, BlockError::ReadShort},
               {image.size() - 22, BlockError::ReadInt}, {image.size() - 18, BlockError::ReadInt}};
  for (const Case& c : cases) {
    std::vector<uint8_t> cut(image.begin(), image.begin() + static_cast<std::ptrdiff_t>(c.length));
    MemorySource source(cut.data(), cut.size());
    BlockReader reader(source);
    EXPECT_FALSE(seekToAppendedBlock(reader)) << c.length;
    EXPECT_EQ(reader.error(), c.expected) << c.length;
  }
}

}  // namespace
}  // namespace launcher
