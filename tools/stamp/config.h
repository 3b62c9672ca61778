// The building tool's config: a TOML text that names the settings, texts and
// files of one launcher. Loading it gives the block contents or one error
// line of the form "<key>: <problem>"; nothing is thrown.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "block_writer.h"
#include "catalogue.h"

namespace launcher::stamp {

struct StampConfig {
  LauncherKind kind = LauncherKind::App;
  uint32_t codePage = 1252;
  BlockContents contents;
  // Resolved against the config's directory; none when the config has none.
  std::optional<std::filesystem::path> launcher;
  std::optional<std::filesystem::path> output;
};

struct ConfigResult {
  StampConfig config;
  // "<key>: <problem>", for example "settings.mian_class: unknown setting
  // name"; empty on success.
  std::string error;
  bool ok() const { return error.empty(); }
};

// Relative paths in the config (launcher, output, file sources) are taken
// relative to configDirectory.
ConfigResult loadConfig(std::string_view tomlText, const std::filesystem::path& configDirectory);

// Paths given as UTF-8 text, whatever the platform's native encoding.
std::filesystem::path pathFromUtf8(std::string_view text);
std::string pathToUtf8(const std::filesystem::path& path);

}  // namespace launcher::stamp
