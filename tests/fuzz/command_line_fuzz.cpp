// The splitter on any UTF-16 text: it ends, and every argument it returns is
// made of characters of the input.
#include <cstddef>
#include <cstdint>

#include "windows/command_line.h"

using namespace launcher;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  WideString text(size / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
  std::vector<WideString> arguments;
  splitCommandLine(text, arguments);
  std::size_t total = 0;
  for (const WideString& argument : arguments) total += argument.size();
  if (total > text.size()) __builtin_trap();
  return 0;
}
