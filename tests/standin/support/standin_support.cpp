#include "support/standin_support.h"

#include <charconv>
#include <cstdint>

namespace standin {
namespace {

void appendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

void appendEscapedUnit(std::string& out, char16_t unit) {
  static const char kHex[] = "0123456789ABCDEF";
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(unit >> shift) & 0xF];
}

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

std::string trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace

std::string utf8FromUtf16(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    if (isHighSurrogate(unit) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) {
      uint32_t codePoint = 0x10000 + ((static_cast<uint32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      appendUtf8(out, codePoint);
      ++i;
    } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
      appendEscapedUnit(out, unit);
    } else {
      appendUtf8(out, unit);
    }
  }
  return out;
}

std::string utf8FromWide(std::wstring_view text) {
  return utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::u16string utf16FromUtf8(std::string_view text) {
  std::u16string out;
  std::size_t i = 0;
  while (i < text.size()) {
    unsigned char lead = static_cast<unsigned char>(text[i]);
    int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
    uint32_t codePoint = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
    bool valid = length > 0 && i + length <= text.size();
    for (int k = 1; valid && k < length; ++k) {
      unsigned char next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) valid = false;
      codePoint = (codePoint << 6) | (next & 0x3F);
    }
    static const uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (valid && (codePoint < kSmallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF))) {
      valid = false;
    }
    if (!valid) {
      out += u'\uFFFD';
      ++i;
      continue;
    }
    if (codePoint >= 0x10000) {
      codePoint -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (codePoint >> 10));
      out += static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    } else {
      out += static_cast<char16_t>(codePoint);
    }
    i += length;
  }
  return out;
}

std::wstring wideFromUtf8(std::string_view text) {
  std::u16string wide = utf16FromUtf8(text);
  return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size());
}

std::wstring modulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring parentDirectory(std::wstring_view path) {
  std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring_view::npos) return std::wstring(path);
  return std::wstring(path.substr(0, slash));
}

bool readWholeFile(const std::wstring& path, std::string& bytes) {
  bytes.clear();
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  char buffer[16384];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  CloseHandle(file);
  return ok;
}

void appendToFile(const std::wstring& path, std::string_view bytes) {
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void writeStandardHandle(DWORD which, std::string_view bytes) {
  HANDLE handle = GetStdHandle(which);
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

bool readScript(const std::wstring& path, std::vector<ScriptEntry>& entries, ScriptEntry* badLine) {
  entries.clear();
  std::string bytes;
  if (!readWholeFile(path, bytes)) return true;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.erase(0, 3);
  std::size_t start = 0;
  int lineNumber = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string trimmed = trim(line);
    if (trimmed.empty() || trimmed[0] == '#') continue;
    ScriptEntry entry;
    entry.lineNumber = lineNumber;
    entry.line = line;
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
      if (badLine) *badLine = entry;
      return false;
    }
    entry.key = trim(std::string_view(line).substr(0, equals));
    entry.value = line.substr(equals + 1);
    entries.push_back(std::move(entry));
  }
  return true;
}

std::string badScriptLineMessage(const ScriptEntry& entry) {
  return "bad script line " + std::to_string(entry.lineNumber) + ": " + entry.line;
}

bool parseInt32(std::string_view text, int& value) {
  if (text.empty() || text[0] == '+') return false;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

bool parseUnsigned32(std::string_view text, unsigned& value) {
  if (text.empty() || text[0] == '-' || text[0] == '+') return false;
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

}  // namespace standin
