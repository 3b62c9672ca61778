// What the building tool knows about the settings it writes: the readable
// names of the narrow settings, their forms, and the values every block
// carries unless a config says otherwise.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace launcher::stamp {

enum class LauncherKind { App, Setup };

// How a narrow setting is read by the launchers, which decides the config
// values it accepts.
enum class SettingForm { Text, Integer, Switch, Colour };

struct CatalogueEntry {
  int32_t id;
  // Empty for the message texts, which are addressed by id only.
  std::string_view name;
  SettingForm form;
  std::string_view setupDefault;
  std::string_view appDefault;
};

// Every narrow id a block carries, ascending.
const std::vector<CatalogueEntry>& narrowCatalogue();

const CatalogueEntry* findSetting(int32_t id);
const CatalogueEntry* findSettingByName(std::string_view name);

// The readable name of a narrow id, empty for messages and unknown ids.
std::string_view settingName(int32_t id);

struct WideDefault {
  int32_t id;
  std::u16string text;
};

// The wide texts of a setup launcher, ascending; 20001 and 20007 begin with
// the application's name.
std::vector<WideDefault> setupWideTexts(std::u16string_view applicationName);

// The default of setting 160 for a setup launcher.
std::string previousInstallationsValue(const std::optional<std::string>& applicationId);

inline constexpr int32_t kApplicationNameId = 101;
inline constexpr int32_t kPreviousInstallationsId = 160;
inline constexpr int32_t kIncludedFileCountId = 2002;
inline constexpr int32_t kIncludedFileNamesId = 2003;

}  // namespace launcher::stamp
