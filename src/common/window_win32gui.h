// What the program's windows share on Win32: the message box, the program
// folder, ANSI text for the A functions, the screen's resolution and the
// windows' font.
#pragma once

#include <windows.h>

#include <string>

#include "common/handles_win32.h"
#include "common/text.h"
#include "common/twips.h"

namespace tavik {

// The program's message box: OK button only, no icon, the program title
// as caption. Returns when it is dismissed.
void ShowProgramMessage(HWND owner, const Text& text);

// The running executable's path, and the folder that holds it, without a
// trailing "\" ("C:" for an executable at a drive's root); empty when the
// system cannot tell.
Text ExecutablePath();
Text ExecutableFolder();

// Registers a window class of the program's module, its windows in the
// dialog colour with the arrow cursor; true when it is registered, also
// when it was before.
bool RegisterProgramClass(const wchar_t* name, WNDPROC procedure, HICON icon = nullptr, HICON small_icon = nullptr);

// Text in the ANSI code page (932 on Japanese Windows).
std::string AnsiText(TextView text);

Text WindowText(HWND window);

// Layout in twips turned into pixels at the screen's resolution.
class PixelScale {
 public:
  PixelScale();
  int X(int twips) const { return TwipsToPixels(twips, dpi_x_); }
  int Y(int twips) const { return TwipsToPixels(twips, dpi_y_); }
  int dpi_y() const { return dpi_y_; }

 private:
  int dpi_x_ = 96;
  int dpi_y_ = 96;
};

// "ＭＳ Ｐゴシック" at `tenth_points` (90: 9 point), with the Shift-JIS
// character set, so that a Japanese font stands in wherever that face is
// missing; the system's GUI font when no font can be made.
FontHandle CreateProgramFont(const PixelScale& scale, int tenth_points = 90);

// A child window at its laid-out place, in `font`. Children created one
// after another take the focus in that order.
HWND CreateChild(HWND parent, const wchar_t* window_class, const Text& text, DWORD style, DWORD ex_style, int id,
                 const TwipsRect& place, const PixelScale& scale, HFONT font);

// The window procedure of a class whose windows each belong to an object of
// type Owner, passed as CreateWindowEx's last argument: the object is kept
// with the window and handles every message from WM_NCCREATE to
// WM_NCDESTROY through Owner::OnWindowMessage(hwnd, message, wparam, lparam).
//
// This is where the system calls the program, and no exception may unwind
// through the system's frames (docs/contracts.md): a handler that fails (out of memory while it
// builds a text, say) ends with the system's default handling of its
// message, and the program goes on with the next message.
template <typename Owner>
LRESULT CALLBACK ObjectWindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (owner == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  try {
    return owner->OnWindowMessage(hwnd, message, wparam, lparam);
  } catch (...) {
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

}  // namespace tavik
