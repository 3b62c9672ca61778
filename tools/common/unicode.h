// UTF-8 and UTF-16 conversions for the tools and the test programs. The
// launchers themselves never see UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace unicode {

inline constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(std::string& out, char32_t codePoint);

// The code point at text[i], moving i behind it. A byte that does not start a
// valid sequence (overlong, surrogate, beyond U+10FFFF, cut short) gives
// U+FFFD and moves i by one.
char32_t nextCodePoint(std::string_view text, std::size_t& i);

std::u16string utf8ToUtf16(std::string_view text);

enum class LoneSurrogate { Replace, Escape };
// Paired surrogates become one code point; a lone one becomes U+FFFD, or
// "\uXXXX" where a trace must show exactly what arrived.
std::string utf16ToUtf8(std::u16string_view text, LoneSurrogate lone = LoneSurrogate::Replace);

}  // namespace unicode
