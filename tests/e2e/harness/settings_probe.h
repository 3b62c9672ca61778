// What settings_probe.exe prints: the settings store a launcher filled from
// the block stamped onto it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>

namespace e2e {

struct ProbedSettings {
  // The stored bytes, unconverted (ANSI code page).
  std::map<int32_t, std::string> narrow;
  // UTF-8.
  std::map<int32_t, std::string> wide;
  // Empty when setting 2001 is.
  std::string productLetter;
  std::string productWord;
  uint32_t configurationEnd = 0;

  std::optional<std::string> narrowText(int32_t id) const;
  std::optional<std::string> wideText(int32_t id) const;
};

std::ostream& operator<<(std::ostream& out, const ProbedSettings& settings);

// The probe prints texts as they are, so a text with line feeds goes on over
// the following lines; a line that does not start the next entry in order
// continues the previous text. Fails the current test, and gives nothing,
// when the output is not the probe's complete report.
std::optional<ProbedSettings> parseSettingsProbe(const std::string& out);

}  // namespace e2e
