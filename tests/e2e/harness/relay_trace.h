// Reading Wine's relay trace. With WINEDEBUG=-all,+relay and the message box
// functions in the prefix's RelayInclude list, every message box call appears
// on standard error as a line such as
//   0114:Call user32.MessageBoxW(00000000,140004010 L"Hello \00e4\n",140004000 L"Title",00000010) ret=1400013ae
// among other trace lines that are not the program's output.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

struct MessageBoxCall {
  // "MessageBoxW", "MessageBoxA", "MessageBoxExW", "MessageBoxIndirectW", ...
  std::string function;
  // UTF-8. Narrow texts are read as code page 1252, the ANSI code page of
  // the locales the tests run in. The Indirect functions take a structure
  // whose texts the trace does not show: text and title stay empty.
  std::string text;
  // Also empty when no title was passed at all.
  std::string title;
  uint32_t flags = 0;
  uint64_t owner = 0;
  // Wine shows only the first 300 or so characters of a long text.
  bool cut = false;
  bool titleCut = false;
};

std::ostream& operator<<(std::ostream& out, const MessageBoxCall& box);

struct RelayTrace {
  std::vector<MessageBoxCall> boxes;
  // Standard error without Wine's trace and debug lines.
  std::string programErr;
};

RelayTrace splitRelayTrace(std::string_view err);

// The call on one trace line, if it is a message box call.
std::optional<MessageBoxCall> parseMessageBoxCall(std::string_view line);

// A string as Wine's trace writes it between the quotes, back in UTF-8:
// \n \r \t \\ \" and, in wide strings, \XXXX (a UTF-16 unit in hex) or, in
// narrow strings, \xXX (a byte in code page 1252).
std::string decodeTraceString(std::string_view escaped, bool wide);

}  // namespace e2e
