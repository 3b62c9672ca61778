// Small Win32 helpers shared by the stand-in runtime's programs, its jvm.dll
// and its tests: UTF conversions, module paths, whole-file reads, appends that
// reach the disk at once, and the key=value script files that tests drop
// beside a runtime.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace standin {

// UTF-16 to UTF-8. A surrogate without its partner cannot be encoded, so it
// is written as the six characters \uXXXX (upper-case hex) instead.
std::string utf8FromUtf16(std::u16string_view text);
std::string utf8FromWide(std::wstring_view text);
// UTF-8 to UTF-16; a byte that does not start a valid sequence becomes U+FFFD.
std::u16string utf16FromUtf8(std::string_view text);
std::wstring wideFromUtf8(std::string_view text);

// Full path of a module's file (nullptr: the executable).
std::wstring modulePath(HMODULE module);
// Everything before the last backslash; the text itself when there is none.
std::wstring parentDirectory(std::wstring_view path);

// Whole file as bytes; false when it cannot be opened or read.
bool readWholeFile(const std::wstring& path, std::string& bytes);
// Opens, appends and closes, so that the bytes are in the file even if the
// process ends abruptly right afterwards. Failures are ignored: these are
// diagnostics for tests, and a missing line is what the test then reports.
void appendToFile(const std::wstring& path, std::string_view bytes);
// Writes to standard output or standard error as given by GetStdHandle; a
// process without that handle writes nothing.
void writeStandardHandle(DWORD which, std::string_view bytes);

// One "key=value" line of a script file.
struct ScriptEntry {
  int lineNumber = 0;
  std::string line;  // the whole line as written, for messages
  std::string key;
  std::string value;
};

// Reads a script: one key=value per line, blank lines and lines whose first
// non-blank character is '#' skipped, the key trimmed, the value kept as
// written (only a trailing CR removed). A missing file is an empty script.
// A line without '=' is a mistake in the test that wrote it: false, with the
// offending entry in *badLine.
bool readScript(const std::wstring& path, std::vector<ScriptEntry>& entries, ScriptEntry* badLine);

// "bad script line <n>: <text>", the report for a line a program cannot use.
std::string badScriptLineMessage(const ScriptEntry& entry);

// Strict decimal integers for script values: optional '-', digits only, in
// range of the target type.
bool parseInt32(std::string_view text, int& value);
bool parseUnsigned32(std::string_view text, unsigned& value);

}  // namespace standin
