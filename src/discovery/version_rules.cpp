#include "discovery/version_rules.h"

#include "runtime/path_rules.h"

namespace launcher {

int compareOver(std::string_view a, std::string_view b, std::size_t n) {
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char ca = i < a.size() ? static_cast<unsigned char>(a[i]) : 0;
    const unsigned char cb = i < b.size() ? static_cast<unsigned char>(b[i]) : 0;
    if (ca != cb) return ca < cb ? -1 : 1;
    if (ca == 0) return 0;
  }
  return 0;
}

bool isPreRelease(std::string_view version) {
  return version.find("beta") != std::string_view::npos || version.find("ea") != std::string_view::npos ||
         version.find("rc") != std::string_view::npos;
}

bool versionInRange(std::string_view version, std::string_view minimum, std::string_view maximum,
                    bool preReleasesAllowed) {
  if (!preReleasesAllowed && isPreRelease(version)) return false;
  if (compareOver(version, minimum, minimum.size()) < 0) return false;
  if (compareOver(version, maximum, maximum.size()) > 0) return false;
  return true;
}

bool versionPrefixInRange(std::string_view version, std::string_view minimum, std::string_view maximum) {
  if (compareOver(version, minimum, std::min(version.size(), minimum.size())) < 0) return false;
  if (compareOver(version, maximum, std::min(version.size(), maximum.size())) > 0) return false;
  return true;
}

std::optional<std::string> versionFromFirstLine(std::string_view line) {
  std::string_view rest;
  if (line.substr(0, 14) == "java version \"") rest = line.substr(14);
  else if (line.substr(0, 17) == "openjdk version \"") rest = line.substr(17);
  else return std::nullopt;
  // Current runtimes print more behind the closing quotation mark (a date,
  // "LTS"); the version ends at that mark. A line without one is taken up to
  // its end.
  const std::size_t quote = rest.find('"');
  if (quote != std::string_view::npos) return std::string(rest.substr(0, quote));
  while (!rest.empty() && (rest.back() == '\n' || rest.back() == '\r')) rest.remove_suffix(1);
  return std::string(rest);
}

std::vector<SearchEntry> parseSearchSequence(std::string_view sequence) {
  std::vector<SearchEntry> entries;
  for (std::string_view entry : splitList(sequence, ';')) entries.push_back({entry[0], std::string(entry.substr(1))});
  return entries;
}

bool isAbsoluteSearchValue(std::string_view value) {
  return value.size() > 1 && (value[1] == ':' || (value[0] == '\\' && value[1] == '\\'));
}

}  // namespace launcher
