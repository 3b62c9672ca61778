// Lines of .vmoptions files and configured VM parameters, and the entries of
// the configured class path: the portable rules behind their handling.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

// A raw line as read (up to 8191 bytes, possibly with its line feed): trailing
// CR/LF removed, then leading and trailing blanks (tabs stay). None for an
// empty line or a comment.
std::optional<std::string> cleanOptionLine(std::string_view raw);

enum class OptionLineKind { Include, ClassPathReplace, ClassPathPrepend, ClassPathAppend, Option };

struct OptionLine {
  OptionLineKind kind;
  // The text behind the keyword; the whole line for an ordinary option.
  std::string value;
};

// First match wins; all comparisons are case-sensitive and include the blank.
OptionLine classifyOptionLine(std::string_view line);

// Arguments of the configured VM parameters as handled lines:
// "-include-options" followed by another argument is joined with it.
std::vector<std::string> joinIncludeArguments(const std::vector<std::string>& arguments);

struct ClassPathEntry {
  char letter;     // 'A', 'D', 'E', 'S' or anything else
  bool mandatory;  // the digit after the letter is '1'
  std::string text;
};

// The ';'-separated entries of the configured class path, empty ones dropped.
std::vector<ClassPathEntry> parseClassPathEntries(std::string_view setting);

// A value that both begins and ends with a double quote, without them.
std::string withoutEnclosingQuotes(std::string_view value);

}  // namespace launcher
