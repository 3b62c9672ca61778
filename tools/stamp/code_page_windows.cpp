// ANSI code pages through the system's own tables.
#include <windows.h>
#include <shellapi.h>

#include "text_encoding.h"

namespace launcher::stamp {
namespace {

constexpr uint32_t kUtf8CodePage = 65001;

std::wstring toWide(std::string_view utf8) {
  const std::u16string units = utf8ToUtf16(utf8);
  return std::wstring(units.begin(), units.end());
}

// Converts with best-fit mapping off and reports whether the default
// character had to be used; code pages that reject these flags count as
// unsupported.
std::optional<std::string> convert(const std::wstring& wide, uint32_t codePage) {
  if (wide.empty()) return std::string();
  BOOL usedDefault = FALSE;
  const int length = static_cast<int>(wide.size());
  const int size = WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, nullptr,
                                       &usedDefault);
  if (size <= 0) return std::nullopt;
  std::string out(static_cast<std::size_t>(size), '\0');
  usedDefault = FALSE;
  if (WideCharToMultiByte(codePage, WC_NO_BEST_FIT_CHARS, wide.data(), length, out.data(), size, nullptr,
                          &usedDefault) != size ||
      usedDefault)
    return std::nullopt;
  return out;
}

}  // namespace

bool codePageSupported(uint32_t codePage) {
  if (codePage == kUtf8CodePage) return true;
  if (!IsValidCodePage(codePage)) return false;
  return convert(L"a", codePage).has_value();
}

std::optional<std::string> utf8ToCodePage(std::string_view utf8, uint32_t codePage) {
  if (codePage == kUtf8CodePage) return std::string(utf8);
  if (!IsValidCodePage(codePage)) return std::nullopt;
  return convert(toWide(utf8), codePage);
}

std::vector<std::string> utf8Arguments(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    const std::wstring_view argument(wide[i]);
    arguments.push_back(utf16ToUtf8(std::u16string(argument.begin(), argument.end())));
  }
  LocalFree(wide);
  return arguments;
}

}  // namespace launcher::stamp
