#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace launcher {

// The locale name that chooses the localized message sets for a user whose
// default language identifier (low 16 bits of the LCID) is languageId: the row
// of that identifier, else the row of its primary language, else none.
std::optional<std::string> localeNameForLanguage(uint16_t languageId);

std::size_t localeTableSize();

}  // namespace launcher
