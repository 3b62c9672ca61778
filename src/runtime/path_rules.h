// The textual rules behind the path operations; portable and table-tested.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// Absolute only as "X:\..." or "\\..."; a leading double quote is skipped
// for the test. C:/x, \x and C:x are relative.
bool isRelativePath(std::string_view path);

// Drops every backslash that follows a kept backslash; the first character
// and a backslash in second position (a UNC prefix) always stay.
template <typename Char>
void collapseBackslashRuns(std::basic_string<Char>& path) {
  if (path.size() < 2) return;
  std::basic_string<Char> result;
  result.reserve(path.size());
  result += path[0];
  result += path[1];
  for (std::size_t i = 2; i < path.size(); ++i) {
    if (path[i] == Char('\\') && result.back() == Char('\\')) continue;
    result += path[i];
  }
  path.swap(result);
}

// Lower-cases A to Z only, as the C library does in its default locale.
template <typename Char>
void lowerCaseAscii(std::basic_string<Char>& path) {
  for (Char& c : path)
    if (c >= Char('A') && c <= Char('Z')) c = static_cast<Char>(c - Char('A') + Char('a'));
}

// "X:\", "X:\." and "X:\.\." name a drive root.
bool isDriveRoot(std::string_view path);

// The search pattern for the files of directory with an extension:
// C:\app\lib and "jar" give C:\app\lib\*.jar.
std::string directorySearchPattern(std::string_view directory, std::string_view extension);

// directory (ending with a backslash) + path when the path is relative,
// otherwise the path; backslash runs collapsed.
std::string resolveTextAgainst(std::string_view directory, std::string_view path);

// path cut after its last backslash; empty when it has none.
std::string directoryOf(std::string_view path);

// The pieces of a separated list, empty ones dropped.
std::vector<std::string_view> splitList(std::string_view text, char separator);

// Copies of at most limit - 1 characters, as fixed buffers hold them.
std::string cutToBuffer(std::string_view text, std::size_t limit);

}  // namespace launcher
