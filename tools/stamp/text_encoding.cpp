#include "text_encoding.h"

#include "unicode.h"

namespace launcher::stamp {

using unicode::appendUtf8;
using unicode::kReplacement;
using unicode::nextCodePoint;

std::u16string utf8ToUtf16(std::string_view utf8) { return unicode::utf8ToUtf16(utf8); }

std::string utf16ToUtf8(std::u16string_view utf16) { return unicode::utf16ToUtf8(utf16); }

std::string quoted(std::string_view text, bool keepNonAscii) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out = "\"";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F || (byte >= 0x80 && !keepNonAscii)) {
      out += "\\x";
      out += digits[byte >> 4];
      out += digits[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

std::vector<uint8_t> toModifiedUtf8(std::string_view utf8) {
  std::vector<uint8_t> out;
  for (char16_t unit : utf8ToUtf16(utf8)) {
    if (unit != 0 && unit < 0x80) {
      out.push_back(static_cast<uint8_t>(unit));
    } else if (unit < 0x800) {
      out.push_back(static_cast<uint8_t>(0xC0 | (unit >> 6)));
      out.push_back(static_cast<uint8_t>(0x80 | (unit & 0x3F)));
    } else {
      out.push_back(static_cast<uint8_t>(0xE0 | (unit >> 12)));
      out.push_back(static_cast<uint8_t>(0x80 | ((unit >> 6) & 0x3F)));
      out.push_back(static_cast<uint8_t>(0x80 | (unit & 0x3F)));
    }
  }
  return out;
}

std::string fromModifiedUtf8(const std::vector<uint8_t>& bytes) {
  std::u16string units;
  for (std::size_t i = 0; i < bytes.size();) {
    const uint8_t lead = bytes[i];
    if (lead < 0x80) {
      units += static_cast<char16_t>(lead);
      i += 1;
    } else if ((lead & 0xE0) == 0xC0 && i + 1 < bytes.size() && (bytes[i + 1] & 0xC0) == 0x80) {
      units += static_cast<char16_t>(((lead & 0x1F) << 6) | (bytes[i + 1] & 0x3F));
      i += 2;
    } else if ((lead & 0xF0) == 0xE0 && i + 2 < bytes.size() && (bytes[i + 1] & 0xC0) == 0x80 &&
               (bytes[i + 2] & 0xC0) == 0x80) {
      units += static_cast<char16_t>(((lead & 0x0F) << 12) | ((bytes[i + 1] & 0x3F) << 6) | (bytes[i + 2] & 0x3F));
      i += 3;
    } else {
      units += static_cast<char16_t>(kReplacement);
      i += 1;
    }
  }
  return utf16ToUtf8(units);
}

}  // namespace launcher::stamp
