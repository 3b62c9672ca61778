// Conversions between UTF-16 and the narrow code pages, in one place.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "config/settings.h"

namespace launcher {

// The code page of the narrow file functions: ANSI, or OEM when switched.
UINT fileCodePage();

// UTF-16 to a narrow code page; characters it cannot represent become '?'
// and clear *lossless.
std::string narrowFromWide(WideStringView text, UINT codePage, bool* lossless = nullptr);
std::string narrowFromWide(WideStringView text);  // file code page
WideString wideFromNarrow(std::string_view text, UINT codePage);
WideString wideFromNarrow(std::string_view text);  // file code page

// The text of an ANSI setting or path in UTF-16 for a ...W call.
inline const wchar_t* wptr(const WideString& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline wchar_t* wptr(WideString& text) { return reinterpret_cast<wchar_t*>(text.data()); }
inline WideString fromWchar(const wchar_t* text) { return WideString(reinterpret_cast<const char16_t*>(text)); }
inline WideString fromWchar(const wchar_t* text, std::size_t length) {
  return WideString(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace launcher
