// Option lines and class path entries from any bytes: cleaning, classifying
// and parsing end, and what they return comes from the input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "windows/option_lines.h"

using namespace launcher;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (auto line = cleanOptionLine(text)) {
    if (line->size() > text.size()) __builtin_trap();
    const OptionLine classified = classifyOptionLine(*line);
    if (classified.value.size() > line->size()) __builtin_trap();
  }
  std::size_t total = 0;
  for (const ClassPathEntry& entry : parseClassPathEntries(text)) total += entry.text.size();
  if (total > text.size()) __builtin_trap();
  withoutEnclosingQuotes(text);
  return 0;
}
