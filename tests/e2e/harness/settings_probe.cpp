#include "harness/settings_probe.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

namespace e2e {

namespace {

std::optional<std::string> find(const std::map<int32_t, std::string>& table, int32_t id) {
  auto it = table.find(id);
  if (it == table.end()) return std::nullopt;
  return it->second;
}

// "narrow 101=text" or "wide 20013=text" starts an entry when its id comes
// after the previous entry's: the probe prints each table in ascending order.
// Anything else continues the previous entry's text behind a line feed.
std::optional<int32_t> entryId(const std::string& line, std::size_t idStart,
                               const std::map<int32_t, std::string>& table) {
  const std::size_t equals = line.find('=', idStart);
  if (equals == std::string::npos) return std::nullopt;
  const std::string id = line.substr(idStart, equals - idStart);
  char* end = nullptr;
  const long value = std::strtol(id.c_str(), &end, 10);
  if (id.empty() || *end != '\0' || value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  if (!table.empty() && table.rbegin()->first >= value) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace

std::optional<std::string> ProbedSettings::narrowText(int32_t id) const { return find(narrow, id); }
std::optional<std::string> ProbedSettings::wideText(int32_t id) const { return find(wide, id); }

std::optional<ProbedSettings> parseSettingsProbe(const std::string& out) {
  ProbedSettings settings;
  bool sawProduct = false;
  bool sawEnd = false;
  // The text that a continuation line extends.
  std::string* current = nullptr;
  std::size_t start = 0;
  while (start < out.size()) {
    std::size_t end = out.find('\n', start);
    if (end == std::string::npos) end = out.size();
    const std::string line = out.substr(start, end - start);
    start = end + 1;
    std::optional<int32_t> id;
    if (sawProduct) {
      if (line.rfind("configuration_end ", 0) == 0 && !sawEnd) {
        settings.configurationEnd = static_cast<uint32_t>(std::strtoul(line.c_str() + 18, nullptr, 10));
        sawEnd = true;
        continue;
      }
    } else if (line.rfind("narrow ", 0) == 0 && settings.wide.empty() && (id = entryId(line, 7, settings.narrow))) {
      current = &settings.narrow[*id];
      *current = line.substr(line.find('=') + 1);
      continue;
    } else if (line.rfind("wide ", 0) == 0 && (id = entryId(line, 5, settings.wide))) {
      current = &settings.wide[*id];
      *current = line.substr(line.find('=') + 1);
      continue;
    } else if (line.rfind("product ", 0) == 0 && line.find(' ', 8) != std::string::npos) {
      const std::size_t blank = line.find(' ', 8);
      settings.productLetter = line.substr(8, blank - 8);
      settings.productWord = line.substr(blank + 1);
      sawProduct = true;
      current = nullptr;
      continue;
    } else if (current) {
      *current += "\n" + line;
      continue;
    }
    ADD_FAILURE() << "settings_probe.exe printed a line it never prints: \"" << line << "\"\nWhole output:\n" << out;
    return std::nullopt;
  }
  if (!sawProduct || !sawEnd) {
    ADD_FAILURE() << "settings_probe.exe did not finish its report:\n" << out;
    return std::nullopt;
  }
  return settings;
}

std::ostream& operator<<(std::ostream& out, const ProbedSettings& settings) {
  for (const auto& [id, text] : settings.narrow) out << "narrow " << id << "=" << text << "\n";
  for (const auto& [id, text] : settings.wide) out << "wide " << id << "=" << text << "\n";
  out << "product '" << settings.productLetter << "' " << settings.productWord << "\n";
  out << "configuration_end " << settings.configurationEnd << "\n";
  return out;
}

}  // namespace e2e
