// unpack200.exe of the stand-in runtime. The launchers start it with the
// command line -r "<pack file>" "<target file>" and no program name in front;
// it "restores" the archive by copying the pack file's bytes to the target,
// and records every command line in unpack200-log.txt beside the program.
// Any other command line is refused, so that a launcher that builds it
// differently is caught by the missing target as well as by the log.
#include <windows.h>

#include <string>
#include <vector>

#include "support/standin_support.h"

namespace {

// Splits on single spaces; a token that starts with a quotation mark runs to
// the next one. Returns false for text that does not split cleanly this way.
bool splitCommandLine(std::wstring_view line, std::vector<std::wstring>& tokens) {
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == L'"') {
      std::size_t close = line.find(L'"', i + 1);
      if (close == std::wstring_view::npos) return false;
      tokens.emplace_back(line.substr(i + 1, close - i - 1));
      i = close + 1;
    } else {
      std::size_t space = line.find(L' ', i);
      if (space == std::wstring_view::npos) space = line.size();
      std::wstring_view token = line.substr(i, space - i);
      if (token.find(L'"') != std::wstring_view::npos) return false;
      tokens.emplace_back(token);
      i = space;
    }
    if (i < line.size()) {
      if (line[i] != L' ') return false;
      ++i;
    }
  }
  return true;
}

int refuse(const std::string& message) {
  standin::writeStandardHandle(STD_ERROR_HANDLE, "unpack200: " + message + "\r\n");
  return 1;
}

}  // namespace

int main() {
  std::wstring commandLine = GetCommandLineW();
  std::wstring directory = standin::parentDirectory(standin::modulePath(nullptr));
  standin::appendToFile(directory + L"\\unpack200-log.txt", standin::utf8FromWide(commandLine) + "\n");

  std::vector<std::wstring> tokens;
  if (!splitCommandLine(commandLine, tokens) || tokens.size() != 3 || tokens[0] != L"-r" ||
      commandLine.find(L"-r \"") != 0 || commandLine.back() != L'"') {
    return refuse("expected -r \"<pack file>\" \"<target file>\", got: " + standin::utf8FromWide(commandLine));
  }
  const std::wstring& packPath = tokens[1];
  const std::wstring& targetPath = tokens[2];
  if (!CopyFileW(packPath.c_str(), targetPath.c_str(), FALSE)) {
    return refuse("cannot copy " + standin::utf8FromWide(packPath) + " to " + standin::utf8FromWide(targetPath) +
                  " (error " + std::to_string(GetLastError()) + ")");
  }
  return 0;
}
