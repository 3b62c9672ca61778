// Whole-file reads and writes of the building tool.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace launcher::stamp {

// None when the file cannot be opened or read (a directory cannot).
std::optional<std::vector<uint8_t>> readFileBytes(const std::filesystem::path& path);
// Creates or replaces the file; false when it cannot be written completely.
bool writeFileBytes(const std::filesystem::path& path, std::span<const uint8_t> bytes);

}  // namespace launcher::stamp
