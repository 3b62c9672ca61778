#include "config.h"

#include <charconv>
#include <map>
#include <cstdint>

#include <toml++/toml.h>

#include "file_io.h"
#include "text_encoding.h"

namespace launcher::stamp {

std::filesystem::path pathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

std::string pathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

namespace {

std::optional<int32_t> parseId(std::string_view key) {
  std::string_view digits = key.substr(!key.empty() && key[0] == '-' ? 1 : 0);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), value);
  if (error != std::errc() || end != key.data() + key.size() || value < INT32_MIN || value > INT32_MAX)
    return std::nullopt;
  return static_cast<int32_t>(value);
}

bool isDecimalInteger(std::string_view text) {
  if (!text.empty() && (text[0] == '-' || text[0] == '+')) text.remove_prefix(1);
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// An included file or Java-side entry before it is written.
struct Payload {
  std::string name;  // UTF-8 as written in the config
  std::vector<uint8_t> data;
};

class Loader {
 public:
  explicit Loader(const std::filesystem::path& directory) : directory_(directory) {}

  ConfigResult load(std::string_view text);

 private:
  bool fail(const std::string& key, const std::string& problem) {
    if (error_.empty()) error_ = key + ": " + problem;
    return false;
  }
  bool checkKeys(const toml::table& table, const std::string& prefix, std::initializer_list<std::string_view> known);
  bool readTopLevel(const toml::table& root);
  bool readSettings(const toml::table& root);
  bool readSettingValue(const std::string& key, const toml::node& node, SettingForm form, bool catalogued,
                        std::string& text);
  bool readWide(const toml::table& root);
  bool readLocalized(const toml::table& root);
  bool readPayloads(const toml::table& root, const char* section, bool narrowNames, std::vector<Payload>& out);
  bool readMessages(const toml::node& node, const std::string& prefix, std::map<int32_t, std::u16string>& out);
  std::optional<std::string> inCodePage(const std::string& key, const std::string& utf8);
  bool compose();

  const std::filesystem::path directory_;
  std::string error_;
  StampConfig config_;
  std::optional<std::string> applicationId_;
  // Settings the config sets, as UTF-8 texts, by id.
  std::map<int32_t, std::string> settings_;
  // The key each of them was given under, for error lines.
  std::map<int32_t, std::string> settingKeys_;
  std::map<int32_t, std::u16string> wide_;
  std::vector<BlockContents::LocalizedSet> localized_;
  std::vector<Payload> files_;
  std::vector<Payload> javaSide_;
};

std::optional<std::string> Loader::inCodePage(const std::string& key, const std::string& utf8) {
  std::optional<std::string> converted = utf8ToCodePage(utf8, config_.codePage);
  if (!converted)
    fail(key, quoted(utf8, true) + " cannot be written in code page " + std::to_string(config_.codePage));
  return converted;
}

bool Loader::checkKeys(const toml::table& table, const std::string& prefix,
                       std::initializer_list<std::string_view> known) {
  for (const auto& [key, node] : table) {
    bool found = false;
    for (std::string_view name : known) found = found || key.str() == name;
    if (!found) return fail(prefix + std::string(key.str()), "unknown key");
  }
  return true;
}

bool Loader::readTopLevel(const toml::table& root) {
  if (!checkKeys(root, "", {"kind", "code_page", "integrity", "launcher", "output", "application_id", "settings",
                            "wide", "localized", "files", "java_side"}))
    return false;

  const toml::node* kind = root.get("kind");
  if (!kind) return fail("kind", "missing (\"app\" or \"setup\")");
  const std::optional<std::string> kindText = kind->value_exact<std::string>();
  if (kindText == "app") config_.kind = LauncherKind::App;
  else if (kindText == "setup") config_.kind = LauncherKind::Setup;
  else return fail("kind", "expected \"app\" or \"setup\"");
  const bool setup = config_.kind == LauncherKind::Setup;

  if (const toml::node* codePage = root.get("code_page")) {
    const std::optional<int64_t> value = codePage->value_exact<int64_t>();
    if (!value) return fail("code_page", "expected an integer");
    if (*value <= 0 || *value > 65535 || !codePageSupported(static_cast<uint32_t>(*value)))
      return fail("code_page", "unsupported code page " + std::to_string(*value));
    config_.codePage = static_cast<uint32_t>(*value);
  }

  config_.contents.integrity = setup;
  if (const toml::node* integrity = root.get("integrity")) {
    const std::optional<bool> value = integrity->value_exact<bool>();
    if (!value) return fail("integrity", "expected a boolean");
    config_.contents.integrity = *value;
  }

  const auto path = [&](const char* key, std::optional<std::filesystem::path>& out) {
    const toml::node* node = root.get(key);
    if (!node) return true;
    const std::optional<std::string> value = node->value_exact<std::string>();
    if (!value) return fail(key, "expected a string");
    if (value->empty()) return fail(key, "must not be empty");
    out = directory_ / pathFromUtf8(*value);
    return true;
  };
  if (!path("launcher", config_.launcher) || !path("output", config_.output)) return false;

  if (const toml::node* id = root.get("application_id")) {
    applicationId_ = id->value_exact<std::string>();
    if (!applicationId_) return fail("application_id", "expected a string");
  }
  return true;
}

bool Loader::readSettingValue(const std::string& key, const toml::node& node, SettingForm form, bool catalogued,
                              std::string& text) {
  if (const auto* string = node.as_string()) {
    const std::string& value = string->get();
    // A text stands as it is wherever a text is read; the numeric forms take
    // it only when it is a number, so that a misplaced word is caught here.
    if (!catalogued || form == SettingForm::Text || form == SettingForm::Colour || isDecimalInteger(value)) {
      text = value;
      return true;
    }
  } else if (const auto* integer = node.as_integer()) {
    if (form != SettingForm::Colour || !catalogued) {
      text = std::to_string(integer->get());
      return true;
    }
  } else if (const auto* boolean = node.as_boolean()) {
    if (!catalogued || form == SettingForm::Switch || form == SettingForm::Integer) {
      text = boolean->get() ? "1" : "0";
      return true;
    }
  } else if (const auto* array = node.as_array(); array && catalogued && form == SettingForm::Colour) {
    bool valid = array->size() == 3;
    std::string colour;
    for (std::size_t i = 0; valid && i < 3; ++i) {
      const std::optional<int64_t> component = array->get(i)->value_exact<int64_t>();
      valid = component && *component >= 0 && *component <= 255;
      if (valid) colour += (i ? "," : "") + std::to_string(*component);
    }
    if (!valid) return fail(key, "expected [r, g, b] with components from 0 to 255");
    text = colour;
    return true;
  }
  if (!catalogued) return fail(key, "expected a string, an integer or a boolean");
  switch (form) {
    case SettingForm::Text: return fail(key, "expected a string");
    case SettingForm::Integer: return fail(key, "expected an integer");
    case SettingForm::Switch: return fail(key, "expected a boolean or an integer");
    case SettingForm::Colour: return fail(key, "expected a string or [r, g, b]");
  }
  return false;
}

bool Loader::readSettings(const toml::table& root) {
  const toml::node* node = root.get("settings");
  if (!node) return true;
  const toml::table* settings = node->as_table();
  if (!settings) return fail("settings", "expected a table");
  for (const auto& [name, value] : *settings) {
    const std::string key = "settings." + std::string(name.str());
    const CatalogueEntry* entry = nullptr;
    int32_t id;
    if (const std::optional<int32_t> number = parseId(name.str())) {
      id = *number;
      entry = findSetting(id);
    } else if ((entry = findSettingByName(name.str()))) {
      id = entry->id;
    } else {
      return fail(key, isDecimalInteger(name.str()) ? "not a signed 32-bit id" : "unknown setting name");
    }
    if (const auto [previous, inserted] = settingKeys_.emplace(id, key); !inserted)
      return fail(key, "sets the same setting as " + previous->second);
    std::string text;
    if (!readSettingValue(key, value, entry ? entry->form : SettingForm::Text, entry != nullptr, text)) return false;
    settings_[id] = std::move(text);
  }
  return true;
}

bool Loader::readMessages(const toml::node& node, const std::string& prefix,
                          std::map<int32_t, std::u16string>& out) {
  const toml::table* table = node.as_table();
  if (!table) return fail(prefix, "expected a table");
  for (const auto& [name, value] : *table) {
    const std::string key = prefix + "." + std::string(name.str());
    const std::optional<int32_t> id = parseId(name.str());
    if (!id) return fail(key, "expected a numeric id");
    const std::optional<std::string> text = value.value_exact<std::string>();
    if (!text) return fail(key, "expected a string");
    out[*id] = utf8ToUtf16(*text);
  }
  return true;
}

bool Loader::readWide(const toml::table& root) {
  const toml::node* node = root.get("wide");
  return !node || readMessages(*node, "wide", wide_);
}

bool Loader::readLocalized(const toml::table& root) {
  const toml::node* node = root.get("localized");
  if (!node) return true;
  const toml::array* sets = node->as_array();
  if (!sets || !sets->is_array_of_tables()) return fail("localized", "expected an array of tables ([[localized]])");
  for (std::size_t i = 0; i < sets->size(); ++i) {
    const std::string prefix = "localized[" + std::to_string(i) + "]";
    const toml::table& set = *sets->get(i)->as_table();
    if (!checkKeys(set, prefix + ".", {"locale", "messages"})) return false;
    const toml::node* locale = set.get("locale");
    if (!locale) return fail(prefix + ".locale", "missing");
    const std::optional<std::string> localeText = locale->value_exact<std::string>();
    if (!localeText) return fail(prefix + ".locale", "expected a string");
    BlockContents::LocalizedSet out;
    const std::optional<std::string> narrowLocale = inCodePage(prefix + ".locale", *localeText);
    if (!narrowLocale) return false;
    out.locale = *narrowLocale;
    std::map<int32_t, std::u16string> messages;
    if (const toml::node* messageTable = set.get("messages"))
      if (!readMessages(*messageTable, prefix + ".messages", messages)) return false;
    out.messages.assign(messages.begin(), messages.end());
    localized_.push_back(std::move(out));
  }
  return true;
}

bool Loader::readPayloads(const toml::table& root, const char* section, bool narrowNames, std::vector<Payload>& out) {
  const toml::node* node = root.get(section);
  if (!node) return true;
  const toml::array* entries = node->as_array();
  if (!entries || !entries->is_array_of_tables())
    return fail(section, std::string("expected an array of tables ([[") + section + "]])");
  for (std::size_t i = 0; i < entries->size(); ++i) {
    const std::string prefix = std::string(section) + "[" + std::to_string(i) + "]";
    const toml::table& entry = *entries->get(i)->as_table();
    if (!checkKeys(entry, prefix + ".", {"name", "source", "content"})) return false;
    Payload payload;
    const toml::node* name = entry.get("name");
    if (!name) return fail(prefix + ".name", "missing");
    const std::optional<std::string> nameText = name->value_exact<std::string>();
    if (!nameText) return fail(prefix + ".name", "expected a string");
    payload.name = *nameText;
    if (narrowNames) {
      // The names travel as one ";"-separated setting, where an empty name
      // would end the list early.
      if (payload.name.empty()) return fail(prefix + ".name", "must not be empty");
      if (payload.name.find(';') != std::string::npos) return fail(prefix + ".name", "must not contain \";\"");
      if (!inCodePage(prefix + ".name", payload.name)) return false;
    } else if (toModifiedUtf8(payload.name).size() > 0xFFFF) {
      return fail(prefix + ".name", "longer than 65535 bytes in modified UTF-8");
    }

    const toml::node* source = entry.get("source");
    const toml::node* content = entry.get("content");
    if (source && content) return fail(prefix, "give either source or content, not both");
    if (!source && !content) return fail(prefix, "needs source or content");
    if (content) {
      const std::optional<std::string> text = content->value_exact<std::string>();
      if (!text) return fail(prefix + ".content", "expected a string");
      payload.data.assign(text->begin(), text->end());
    } else {
      const std::optional<std::string> path = source->value_exact<std::string>();
      if (!path) return fail(prefix + ".source", "expected a string");
      std::optional<std::vector<uint8_t>> data;
      if (!path->empty()) data = readFileBytes(directory_ / pathFromUtf8(*path));
      if (!data) return fail(prefix + ".source", "cannot read " + quoted(*path, true));
      payload.data = std::move(*data);
    }
    out.push_back(std::move(payload));
  }
  return true;
}

bool Loader::compose() {
  const bool setup = config_.kind == LauncherKind::Setup;
  std::map<int32_t, std::string> narrow;  // UTF-8 until written
  for (const CatalogueEntry& entry : narrowCatalogue())
    narrow[entry.id] = std::string(setup ? entry.setupDefault : entry.appDefault);
  if (setup) narrow[kPreviousInstallationsId] = previousInstallationsValue(applicationId_);
  narrow[kIncludedFileCountId] = std::to_string(files_.size());
  std::string names;
  for (const Payload& file : files_) names += file.name + ";";
  narrow[kIncludedFileNamesId] = names;
  for (const auto& [id, text] : settings_) narrow[id] = text;

  for (const auto& [id, text] : narrow) {
    std::string key = "code_page";  // a default that the code page cannot hold
    if (const auto configured = settingKeys_.find(id); configured != settingKeys_.end()) key = configured->second;
    else if (id == kPreviousInstallationsId && applicationId_) key = "application_id";
    const std::optional<std::string> converted = inCodePage(key, text);
    if (!converted) return false;
    config_.contents.narrow.emplace_back(id, *converted);
  }

  std::map<int32_t, std::u16string> wide;
  if (setup)
    for (WideDefault& text : setupWideTexts(utf8ToUtf16(narrow[kApplicationNameId]))) wide[text.id] = text.text;
  for (const auto& [id, text] : wide_) wide[id] = text;
  config_.contents.wide.assign(wide.begin(), wide.end());

  config_.contents.localized = std::move(localized_);
  for (Payload& file : files_) config_.contents.includedFiles.push_back(std::move(file.data));
  for (Payload& entry : javaSide_) config_.contents.javaSide.emplace_back(entry.name, std::move(entry.data));
  return true;
}

ConfigResult Loader::load(std::string_view text) {
  ConfigResult result;
  toml::parse_result parsed = toml::parse(text);
  if (!parsed) {
    const toml::parse_error& error = parsed.error();
    std::string description(error.description());
    for (char& c : description)
      if (c == '\n' || c == '\r') c = ' ';
    result.error = "line " + std::to_string(error.source().begin.line) + ", column " +
                   std::to_string(error.source().begin.column) + ": " + description;
    return result;
  }
  const toml::table& root = parsed.table();
  // The settings come after the code page they are converted to; the file
  // names too.
  if (readTopLevel(root) && readSettings(root) && readWide(root) && readLocalized(root) &&
      readPayloads(root, "files", true, files_) && readPayloads(root, "java_side", false, javaSide_))
    compose();
  if (!error_.empty()) {
    result.error = error_;
    return result;
  }
  result.config = std::move(config_);
  return result;
}

}  // namespace

ConfigResult loadConfig(std::string_view tomlText, const std::filesystem::path& configDirectory) {
  return Loader(configDirectory).load(tomlText);
}

}  // namespace launcher::stamp
