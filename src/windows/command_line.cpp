#include "windows/command_line.h"

namespace launcher {

bool splitCommandLine(WideStringView text, std::vector<WideString>& arguments) {
  constexpr auto npos = WideStringView::npos;
  std::size_t p = 0;
  while (p < text.size()) {
    if (text[p] == u' ') {
      ++p;
      continue;
    }
    const std::size_t blank = text.find(u' ', p);
    const std::size_t doubleQuote = text.find(u'"', p);
    const std::size_t singleQuote = text.find(u'\'', p);
    const std::size_t firstQuote = doubleQuote < singleQuote ? doubleQuote : singleQuote;
    if (blank != npos && blank < firstQuote) {
      arguments.emplace_back(text.substr(p, blank - p));
      p = blank + 1;
      continue;
    }
    if (firstQuote == npos) {
      arguments.emplace_back(text.substr(p));
      break;
    }
    const std::size_t closing = text.find(text[firstQuote], firstQuote + 1);
    if (closing == npos) return false;
    WideString argument(text.substr(p, firstQuote - p));
    argument += text.substr(firstQuote + 1, closing - firstQuote - 1);
    arguments.push_back(std::move(argument));
    p = closing + 1;
    if (p < text.size() && text[p] == u' ') ++p;
  }
  return true;
}

}  // namespace launcher
