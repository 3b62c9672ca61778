#include "jvm/jvm_script.h"

namespace standin {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t end = text.find(separator, start);
    if (end == std::string::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
}

bool applyEntry(const ScriptEntry& entry, JvmScript& script) {
  const std::string& key = entry.key;
  const std::string& value = entry.value;
  if (key == "create") {
    if (value != "fail") return false;
    script.failCreate = true;
    return true;
  }
  if (key == "missing_class") {
    if (value.empty()) return false;
    script.missingClasses.push_back(value);
    return true;
  }
  if (key == "missing_method") {
    std::size_t dot = value.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == value.size()) return false;
    script.missingMethods.push_back(value);
    return true;
  }
  if (key == "first_run") {
    if (value == "true") {
      script.firstRun = FirstRunAnswer::True;
    } else if (value == "false") {
      script.firstRun = FirstRunAnswer::False;
    } else if (value == "throw") {
      script.firstRun = FirstRunAnswer::Throw;
    } else {
      return false;
    }
    return true;
  }
  if (key == "main") {
    if (value == "return") {
      script.mainOutcome = MainOutcome::Return;
    } else if (value == "throw") {
      script.mainOutcome = MainOutcome::Throw;
    } else if (value.starts_with("exit:") && parseInt32(std::string_view(value).substr(5), script.mainExitCode)) {
      script.mainOutcome = MainOutcome::Exit;
    } else {
      return false;
    }
    return true;
  }
  if (key == "thread_after_main_ms") {
    unsigned milliseconds = 0;
    if (!parseUnsigned32(value, milliseconds)) return false;
    script.threadAfterMainMs = milliseconds;
    return true;
  }
  if (key == "main_stdout") {
    if (value != "0" && value != "1") return false;
    script.mainStdout = value == "1";
    return true;
  }
  if (key == "startup_report") {
    if (value != "0" && value != "1") return false;
    script.startupReport = value == "1";
    return true;
  }
  if (key == "splash_actions") {
    std::vector<int> actions;
    for (const std::string& part : split(value, ',')) {
      int action = 0;
      if (!parseInt32(part, action)) return false;
      actions.push_back(action);
    }
    script.splashActions = std::move(actions);
    return true;
  }
  if (key == "splash_texts") {
    script.splashTexts.clear();
    if (value.empty()) return true;
    for (const std::string& part : split(value, '|')) script.splashTexts.push_back(utf16FromUtf8(part));
    return true;
  }
  return false;
}

}  // namespace

bool parseJvmScript(const std::vector<ScriptEntry>& entries, JvmScript& script, ScriptEntry* badEntry) {
  for (const ScriptEntry& entry : entries) {
    if (!applyEntry(entry, script)) {
      if (badEntry) *badEntry = entry;
      return false;
    }
  }
  return true;
}

}  // namespace standin
