#include "runtime/text.h"

namespace launcher {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

UINT fileCodePage() { return AreFileApisANSI() ? CP_ACP : CP_OEMCP; }

std::string narrowFromWide(WideStringView text, UINT codePage, bool* lossless) {
  if (lossless) *lossless = true;
  if (text.empty()) return {};
  const auto* source = reinterpret_cast<const wchar_t*>(text.data());
  const int length = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  // UTF-7 and UTF-8 do not accept the default-character arguments.
  const bool canReportDefault = codePage != CP_UTF8 && codePage != CP_UTF7;
  const int size = WideCharToMultiByte(codePage, 0, source, length, nullptr, 0, canReportDefault ? "?" : nullptr,
                                       canReportDefault ? &usedDefault : nullptr);
  if (size <= 0) {
    if (lossless) *lossless = false;
    return {};
  }
  std::string result(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, source, length, result.data(), size, canReportDefault ? "?" : nullptr,
                      canReportDefault ? &usedDefault : nullptr);
  if (lossless && usedDefault) *lossless = false;
  return result;
}

std::string narrowFromWide(WideStringView text) { return narrowFromWide(text, fileCodePage()); }

WideString wideFromNarrow(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (size <= 0) return {};
  WideString result(static_cast<std::size_t>(size), u'\0');
  MultiByteToWideChar(codePage, 0, text.data(), length, wptr(result), size);
  return result;
}

WideString wideFromNarrow(std::string_view text) { return wideFromNarrow(text, fileCodePage()); }

}  // namespace launcher
