#include "windows/option_lines.h"

#include "runtime/path_rules.h"

namespace launcher {

std::optional<std::string> cleanOptionLine(std::string_view raw) {
  while (!raw.empty() && (raw.back() == '\r' || raw.back() == '\n')) raw.remove_suffix(1);
  while (!raw.empty() && raw.front() == ' ') raw.remove_prefix(1);
  while (!raw.empty() && raw.back() == ' ') raw.remove_suffix(1);
  if (raw.empty() || raw.front() == '#') return std::nullopt;
  return std::string(raw);
}

OptionLine classifyOptionLine(std::string_view line) {
  struct Keyword {
    std::string_view text;
    OptionLineKind kind;
  };
  static constexpr Keyword keywords[] = {
      {"-include-options ", OptionLineKind::Include},
      {"-classpath ", OptionLineKind::ClassPathReplace},
      {"-classpath/p ", OptionLineKind::ClassPathPrepend},
      {"-classpath/a ", OptionLineKind::ClassPathAppend},
  };
  for (const Keyword& keyword : keywords)
    if (line.substr(0, keyword.text.size()) == keyword.text)
      return {keyword.kind, std::string(line.substr(keyword.text.size()))};
  return {OptionLineKind::Option, std::string(line)};
}

std::vector<std::string> joinIncludeArguments(const std::vector<std::string>& arguments) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == "-include-options" && i + 1 < arguments.size()) {
      lines.push_back(arguments[i] + " " + arguments[i + 1]);
      ++i;
    } else {
      lines.push_back(arguments[i]);
    }
  }
  return lines;
}

std::vector<ClassPathEntry> parseClassPathEntries(std::string_view setting) {
  std::vector<ClassPathEntry> entries;
  for (std::string_view entry : splitList(setting, ';')) {
    ClassPathEntry parsed;
    parsed.letter = entry[0];
    parsed.mandatory = entry.size() > 1 && entry[1] == '1';
    parsed.text = std::string(entry.size() > 2 ? entry.substr(2) : std::string_view());
    entries.push_back(std::move(parsed));
  }
  return entries;
}

std::string withoutEnclosingQuotes(std::string_view value) {
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
  return std::string(value);
}

}  // namespace launcher
