#include "config/settings.h"

#include <climits>
#include <vector>

namespace launcher {

SettingsStore g_settings;

std::string getSetting(int32_t id, std::size_t bufferSize) {
  auto it = g_settings.narrow.find(id);
  if (it == g_settings.narrow.end() || bufferSize == 0) return {};
  // A stored text holds no zero byte by construction of the reader, but a
  // caller buffer ends at the first one all the same.
  std::string_view text = it->second.c_str();
  return std::string(text.substr(0, bufferSize - 1));
}

WideString getWideSetting(int32_t id) {
  auto it = g_settings.wide.find(id);
  if (it == g_settings.wide.end()) return {};
  WideStringView text = it->second.c_str();
  return WideString(text.substr(0, kTextBufferSize - 1));
}

int32_t parseAtoi(std::string_view text) {
  std::size_t i = 0;
  auto isSpace = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < text.size() && isSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Saturates like strtol instead of overflowing: a settings text never
  // makes the result undefined.
  int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > int64_t{INT32_MAX} + 1) value = int64_t{INT32_MAX} + 1;
  }
  if (negative) value = -value;
  if (value > INT32_MAX) value = INT32_MAX;
  if (value < INT32_MIN) value = INT32_MIN;
  return static_cast<int32_t>(value);
}

uint32_t parseColor(std::string_view text) {
  // strtok semantics: runs of commas delimit, empty tokens do not count.
  uint32_t components[3] = {0, 0, 0};
  int found = 0;
  std::size_t pos = 0;
  while (found < 3 && pos < text.size()) {
    while (pos < text.size() && text[pos] == ',') ++pos;
    if (pos >= text.size()) break;
    std::size_t end = text.find(',', pos);
    if (end == std::string_view::npos) end = text.size();
    components[found++] = static_cast<uint32_t>(parseAtoi(text.substr(pos, end - pos))) & 0xFFu;
    pos = end;
  }
  return components[0] | (components[1] << 8) | (components[2] << 16);
}

int32_t getIntSetting(int32_t id) { return parseAtoi(getSetting(id)); }

uint32_t getColorSetting(int32_t id) { return parseColor(getSetting(id)); }

}  // namespace launcher
