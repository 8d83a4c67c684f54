// What frmOption2 and frmPictFolda share on Win32: a fixed dialog frame
// laid out in twips at the screen's real DPI, the dialogs' font, the modal
// loop that keeps the main window's timer ticking, and the message box.
#pragma once

#include <windows.h>

#include "common/text.h"

namespace tavik::dialog_window {

inline const wchar_t* W(const Text& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline Text FromW(const wchar_t* text) { return Text(reinterpret_cast<const char16_t*>(text)); }

Text WindowText(HWND window);
void SetControlText(HWND window, const Text& text);

// The folder that holds the running executable, without a trailing "\".
Text ExecutableFolderPath();

// Twips (1/1440 inch) to pixels at the screen's DPI.
class Twips {
 public:
  Twips();
  int X(int twips) const { return MulDiv(twips, dpi_x_, 1440); }
  int Y(int twips) const { return MulDiv(twips, dpi_y_, 1440); }
  int dpi_y() const { return dpi_y_; }

 private:
  int dpi_x_ = 96;
  int dpi_y_ = 96;
};

// A control's place as laid out: left, top, width, height in twips.
struct TwipsRect {
  int left, top, width, height;
};

// The dialogs' font: 9 point "ＭＳ Ｐゴシック" with the Shift-JIS character
// set, so that a Japanese font stands in wherever that face is missing.
HFONT CreateDialogFont(const Twips& twips);

// Registers a dialog window class once per process (button-face
// background, arrow cursor).
void RegisterDialogClass(HINSTANCE instance, const wchar_t* class_name, WNDPROC procedure);

// A fixed dialog frame: caption and close box, no minimise or maximise box,
// no taskbar entry (owned by `owner`), the given client size in twips,
// centred on the owner when it is visible, otherwise on the screen. Not yet
// shown. `param` reaches WM_NCCREATE / WM_CREATE as lpCreateParams.
HWND CreateDialogFrame(HINSTANCE instance, const wchar_t* class_name, const Text& caption, int client_width_twips,
                       int client_height_twips, HWND owner, void* param);

// A child control at its laid-out place, in the dialog's font. Children
// created one after another take the focus in that order.
HWND CreateControl(HWND parent, const wchar_t* class_name, const Text& text, DWORD style, DWORD ex_style, int id,
                   const TwipsRect& place, const Twips& twips, HFONT font);

// Turns the input method off for a text box for good.
void DisableInputMethod(HWND edit);

// Shows `window` and runs a nested message loop until `closed` turns true
// or the window is destroyed, the owner disabled meanwhile; then enables
// the owner again and destroys the window. Every message
// of the thread is dispatched, the owner's timer included. A WM_QUIT ends
// the loop and is posted again for the outer loop.
void RunModal(HWND window, HWND owner, const bool& closed);

// Keyboard handling of the dialogs: Tab moves the focus in creation order;
// Enter presses a button only when that button has the focus, Escape
// presses nothing. Call from the dialog's WM_COMMAND for IDOK / IDCANCEL,
// which the dialog manager sends for Enter and Escape; returns the focused
// button to press, or nullptr.
HWND ButtonForEnterKey(HWND dialog, WPARAM wparam);

// Remembers the focused control when the dialog is deactivated and gives
// it back on activation (WM_ACTIVATE).
void KeepFocusOnActivate(HWND dialog, WPARAM wparam, HWND& saved_focus, HWND first_control);

// A read-only text box in the colours of an editable one
// (WM_CTLCOLORSTATIC of a locked box).
LRESULT LockedBoxColours(HDC dc);

// The program's message box: OK button only, no icon, caption "TavikFM".
void ShowProgramMessage(HWND owner, const Text& text);

}  // namespace tavik::dialog_window
