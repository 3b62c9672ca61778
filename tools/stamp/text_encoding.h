// Text conversions of the building tool: configs are UTF-8, the block holds
// UTF-16, ANSI code page texts and the Java side's modified UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::stamp {

// Invalid UTF-8 sequences become U+FFFD, one per offending byte.
std::u16string utf8ToUtf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string utf16ToUtf8(std::u16string_view utf16);

// The bytes that Java's DataOutput.writeUTF writes behind its length field:
// U+0000 as C0 80, characters outside the BMP as two three-byte surrogates.
std::vector<uint8_t> toModifiedUtf8(std::string_view utf8);
// The reverse, for showing names; what does not decode becomes U+FFFD.
std::string fromModifiedUtf8(const std::vector<uint8_t>& bytes);

// Whether the ANSI code page is one this build can convert to.
bool codePageSupported(uint32_t codePage);
// The text in the code page, or none when a character has no exact
// representation there (best-fit substitutes are refused).
std::optional<std::string> utf8ToCodePage(std::string_view utf8, uint32_t codePage);

// The text in double quotes, one line whatever it holds: quotes, backslashes
// and control characters escaped; bytes above 0x7F kept only when asked
// (UTF-8), otherwise shown as \xNN (texts of an unknown code page).
std::string quoted(std::string_view text, bool keepNonAscii);

// The program's arguments as UTF-8 (on Windows taken from the wide command
// line, elsewhere as given).
std::vector<std::string> utf8Arguments(int argc, char** argv);

}  // namespace launcher::stamp
