#include "harness/relay_trace.h"

#include "unicode.h"

#include <iomanip>

namespace e2e {

namespace {


// Code page 1252 from 0x80 to 0x9F; the five unassigned bytes map to the
// control characters of the same value, as Windows converts them.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

uint32_t fromCp1252(uint8_t byte) { return byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte; }

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// count hex digits at text[at]; -1 when they are not all there.
long hexAt(std::string_view text, std::size_t at, std::size_t count) {
  if (at + count > text.size()) return -1;
  long value = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const int digit = hexValue(text[at + i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}


bool isWineDebugLine(std::string_view line) {
  // "0114:Call ...", "0114:Ret  ...", "0114:trace:relay:...", "0114:fixme:..."
  std::size_t digits = 0;
  while (digits < line.size() && hexValue(line[digits]) >= 0) ++digits;
  if (digits < 4 || digits >= line.size() || line[digits] != ':') return false;
  const std::string_view rest = line.substr(digits + 1);
  for (std::string_view start : {"Call ", "Ret  ", "trace:", "fixme:", "err:", "warn:", "Starting thread "})
    if (rest.substr(0, start.size()) == start) return true;
  return false;
}

// The wine script runs under bash, which warns when the locale that the test
// asked Wine for is not installed on the machine; Wine uses it all the same.
bool isLocaleWarning(std::string_view line) {
  return line.find("warning: setlocale: ") != std::string_view::npos && line.substr(0, 4) == "bash";
}

// One argument of a traced call: a hexadecimal value, then for a string
// argument a blank and the quoted string, possibly followed by "...".
struct Argument {
  uint64_t value = 0;
  std::optional<std::string> text;
  bool cut = false;
};

std::optional<std::vector<Argument>> parseArguments(std::string_view text) {
  std::vector<Argument> arguments;
  std::size_t at = 0;
  while (true) {
    Argument argument;
    const std::size_t start = at;
    while (at < text.size() && hexValue(text[at]) >= 0) argument.value = argument.value * 16 + hexValue(text[at++]);
    if (at == start) return std::nullopt;
    if (at < text.size() && text[at] == ' ') {
      ++at;
      const bool wide = at < text.size() && text[at] == 'L';
      if (wide) ++at;
      if (at >= text.size() || text[at] != '"') return std::nullopt;
      const std::size_t open = ++at;
      while (at < text.size() && text[at] != '"') at += text[at] == '\\' ? 2 : 1;
      if (at >= text.size()) return std::nullopt;
      argument.text = decodeTraceString(text.substr(open, at - open), wide);
      // Wine writes a string into a 300-byte buffer and stops once its
      // escaped form passes byte 290, marking the cut with "..." behind the
      // quote -- except when exactly one character was left, which it drops
      // without the mark. A string that reached the limit may have been cut.
      const std::size_t limit = wide ? 289 : 290;
      if (at - open >= limit) argument.cut = true;
      ++at;
      if (text.substr(at, 3) == "...") {
        argument.cut = true;
        at += 3;
      }
    }
    arguments.push_back(std::move(argument));
    if (at >= text.size()) return arguments;
    if (text[at] != ',') return std::nullopt;
    ++at;
  }
}

}  // namespace

std::string decodeTraceString(std::string_view escaped, bool wide) {
  std::string out;
  std::u16string units;
  auto emit = [&](uint32_t value) {
    if (wide) {
      units += static_cast<char16_t>(value);
    } else {
      unicode::appendUtf8(out, fromCp1252(static_cast<uint8_t>(value)));
    }
  };
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    const char c = escaped[i];
    if (c != '\\' || i + 1 >= escaped.size()) {
      emit(static_cast<uint8_t>(c));
      continue;
    }
    const char next = escaped[i + 1];
    switch (next) {
      case 'n': emit('\n'); ++i; continue;
      case 'r': emit('\r'); ++i; continue;
      case 't': emit('\t'); ++i; continue;
      case '\\': emit('\\'); ++i; continue;
      case '"': emit('"'); ++i; continue;
      default: break;
    }
    if (!wide && next == 'x') {
      const long byte = hexAt(escaped, i + 2, 2);
      if (byte >= 0) {
        emit(static_cast<uint32_t>(byte));
        i += 3;
        continue;
      }
    }
    if (wide) {
      const long unit = hexAt(escaped, i + 1, 4);
      if (unit >= 0) {
        emit(static_cast<uint32_t>(unit));
        i += 4;
        continue;
      }
    }
    emit('\\');
  }
  return wide ? unicode::utf16ToUtf8(units) : out;
}

std::optional<MessageBoxCall> parseMessageBoxCall(std::string_view line) {
  constexpr std::string_view kCall = ":Call user32.";
  const std::size_t call = line.find(kCall);
  if (call == std::string_view::npos) return std::nullopt;
  const std::size_t nameStart = call + kCall.size();
  const std::size_t open = line.find('(', nameStart);
  if (open == std::string_view::npos) return std::nullopt;
  MessageBoxCall box;
  box.function = std::string(line.substr(nameStart, open - nameStart));
  if (box.function.rfind("MessageBox", 0) != 0) return std::nullopt;
  const std::size_t close = line.rfind(") ret=");
  if (close == std::string_view::npos || close < open) return std::nullopt;
  const auto arguments = parseArguments(line.substr(open + 1, close - open - 1));
  if (!arguments || arguments->empty()) return std::nullopt;

  if (box.function.find("Indirect") != std::string::npos) return box;
  if (arguments->size() < 4) return std::nullopt;
  box.owner = (*arguments)[0].value;
  box.text = (*arguments)[1].text.value_or("");
  box.cut = (*arguments)[1].cut;
  box.title = (*arguments)[2].text.value_or("");
  box.titleCut = (*arguments)[2].cut;
  box.flags = static_cast<uint32_t>((*arguments)[3].value);
  return box;
}

RelayTrace splitRelayTrace(std::string_view err) {
  RelayTrace trace;
  std::size_t start = 0;
  while (start < err.size()) {
    std::size_t end = err.find('\n', start);
    end = end == std::string_view::npos ? err.size() : end + 1;
    const std::string_view line = err.substr(start, end - start);
    start = end;
    if (isWineDebugLine(line)) {
      std::string_view content = line;
      while (!content.empty() && (content.back() == '\n' || content.back() == '\r')) content.remove_suffix(1);
      if (auto box = parseMessageBoxCall(content)) trace.boxes.push_back(std::move(*box));
    } else if (!isLocaleWarning(line)) {
      trace.programErr += line;
    }
  }
  return trace;
}

std::ostream& operator<<(std::ostream& out, const MessageBoxCall& box) {
  out << box.function << "(owner 0x" << std::hex << box.owner << ", flags 0x" << std::setw(8) << std::setfill('0')
      << box.flags << std::dec << std::setfill(' ') << ")";
  out << "\n      text:  \"" << box.text << "\"" << (box.cut ? "..." : "");
  out << "\n      title: \"" << box.title << "\"" << (box.titleCut ? "..." : "");
  return out;
}

}  // namespace e2e
