// The rules by which a Java runtime's version is judged, and the JVM search
// sequence's entries: portable and table-tested.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// Compares like strncmp over n characters: a text that ends early compares
// as if followed by zero bytes; characters are unsigned.
int compareOver(std::string_view a, std::string_view b, std::size_t n);

// "beta", "ea" or "rc" anywhere in the version, case-sensitive.
bool isPreRelease(std::string_view version);

// For versions learnt from a java executable: the bounds compare over their
// own length; empty bounds always pass. preReleasesAllowed is the caller's
// switch or the setting that allows them everywhere.
bool versionInRange(std::string_view version, std::string_view minimum, std::string_view maximum,
                    bool preReleasesAllowed);

// For version texts from registry key names and values: compared over the
// shorter of the two lengths, without the pre-release filter.
bool versionPrefixInRange(std::string_view version, std::string_view minimum, std::string_view maximum);

// The version in the first line of "java -version": the text between the
// quotation marks behind "java version " or "openjdk version ". None when the
// line has neither prefix.
std::optional<std::string> versionFromFirstLine(std::string_view line);

struct SearchEntry {
  char letter;
  std::string value;  // as configured, not expanded
};

// The ';'-separated entries of the search sequence, empty ones dropped.
std::vector<SearchEntry> parseSearchSequence(std::string_view sequence);

// A search value is absolute with a drive ("X:...") or as "\\...".
bool isAbsoluteSearchValue(std::string_view value);

}  // namespace launcher
