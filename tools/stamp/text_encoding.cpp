#include "text_encoding.h"

namespace launcher::stamp {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at index i and advances it; a malformed sequence
// consumes one byte and gives U+FFFD.
char32_t nextCodePoint(std::string_view text, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<uint8_t>(text[k]); };
  const uint8_t lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  std::size_t length;
  char32_t value;
  char32_t minimum;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, value = lead & 0x1F, minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, value = lead & 0x0F, minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, value = lead & 0x07, minimum = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + length > text.size()) {
    ++i;
    return kReplacement;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    value = (value << 6) | (byte(i + k) & 0x3F);
  }
  if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += length;
  return value;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t c = nextCodePoint(utf8, i);
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view utf16) {
  std::string out;
  out.reserve(utf16.size());
  for (std::size_t i = 0; i < utf16.size(); ++i) {
    char32_t c = utf16[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;
    }
    appendUtf8(out, c);
  }
  return out;
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
