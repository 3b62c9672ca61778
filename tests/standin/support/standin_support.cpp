#include "support/standin_support.h"

#include "unicode.h"

#include <charconv>
#include <cstdint>

namespace standin {
namespace {

std::string trim(std::string_view text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) ++begin;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  return std::string(text.substr(begin, end - begin));
}

}  // namespace

std::string utf8FromUtf16(std::u16string_view text) {
  return unicode::utf16ToUtf8(text, unicode::LoneSurrogate::Escape);
}

std::string utf8FromWide(std::wstring_view text) {
  return utf8FromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
}

std::u16string utf16FromUtf8(std::string_view text) { return unicode::utf8ToUtf16(text); }

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
