#include "runtime/path_rules.h"

namespace launcher {

bool isRelativePath(std::string_view path) {
  if (path.size() < 3) return true;
  if (path[0] == '"') {
    path.remove_prefix(1);
    if (path.size() < 3) return true;
  }
  if (path[1] == ':' && path[2] == '\\') return false;
  if (path[0] == '\\' && path[1] == '\\') return false;
  return true;
}

bool isDriveRoot(std::string_view path) {
  if (path.size() < 2) return false;
  const std::string_view rest = path.substr(1);
  return rest == ":\\" || rest == ":\\." || rest == ":\\.\\.";
}

std::string directorySearchPattern(std::string_view directory, std::string_view extension) {
  std::string pattern(directory);
  pattern += "\\*";
  if (extension.empty() || extension[0] != '.') pattern += '.';
  pattern += extension;
  return pattern;
}

std::string resolveTextAgainst(std::string_view directory, std::string_view path) {
  std::string result;
  if (isRelativePath(path)) result = directory;
  result += path;
  collapseBackslashRuns(result);
  return result;
}

std::string directoryOf(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string_view::npos) return {};
  return std::string(path.substr(0, slash + 1));
}

std::vector<std::string_view> splitList(std::string_view text, char separator) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(separator, start);
    if (end == std::string_view::npos) end = text.size();
    if (end > start) pieces.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return pieces;
}

std::string cutToBuffer(std::string_view text, std::size_t limit) {
  if (limit == 0) return {};
  return std::string(text.substr(0, limit - 1));
}

}  // namespace launcher
