// Small Win32 helpers shared by the program's windows.
#pragma once

#include <windows.h>

#include <string>

#include "common/text.h"

namespace tavik {

inline std::wstring Wide(TextView text) { return std::wstring(text.begin(), text.end()); }
inline Text FromWide(const std::wstring& text) { return Text(text.begin(), text.end()); }

// Text in the ANSI code page (932 on Japanese Windows).
std::string Ansi(TextView text);

// The screen's pixels per inch (horizontal).
int ScreenDpi();

// The font of the program's windows at `dpi`: "MS UI Gothic" or
// "ＭＳ Ｐゴシック" where installed, otherwise the system's message font.
// `tenth_points` 0 means the message font's own size. Owned by the caller.
HFONT CreateUiFont(int dpi, int tenth_points = 0, const wchar_t* preferred_face = nullptr);

// The size of a window whose client area is `client_width` x
// `client_height` pixels.
SIZE WindowSizeForClient(DWORD style, DWORD ex_style, bool has_menu, int client_width,
                         int client_height);

// Test hook: when the environment variable TAVIKFM_TEST_LOG names a file,
// appends one UTF-8 line to it (tray calls, beeps, popups). Does nothing
// otherwise.
void TestLog(const std::string& line);
bool TestLogEnabled();

}  // namespace tavik
