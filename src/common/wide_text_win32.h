// Text and the wide strings of the Win32 W functions. Both are UTF-16 on
// Windows, so they convert by reinterpreting the code units, never by
// re-encoding.
#pragma once

#include <string>

#include "common/text.h"

namespace tavik {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

// The text as a NUL-terminated wide string, valid while `text` lives.
inline const wchar_t* WideCStr(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

inline std::wstring ToWideString(TextView text) { return std::wstring(text.begin(), text.end()); }

inline Text TextFromWide(const wchar_t* text) { return Text(reinterpret_cast<const char16_t*>(text)); }
inline Text TextFromWide(std::wstring_view text) { return Text(text.begin(), text.end()); }

}  // namespace tavik
