// What the program's dialogs share on Win32: a fixed dialog frame laid out
// in twips at the screen's resolution, owned by another window and shown
// modally in a message loop of its own that keeps every other message of
// the thread flowing (the main window's timer included), and the keyboard.
#pragma once

#include <windows.h>

#include "common/text.h"
#include "common/window_win32gui.h"

namespace tavik {

class ModalDialog {
 public:
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

  // Shows the dialog owned by `owner` (disabled meanwhile) and returns when
  // it has closed: by Close(), by its close box, or with its owner. A
  // WM_QUIT ends it too and is posted again for the outer loop.
  void Run(HWND owner);

 protected:
  // The client area's width and height are in twips.
  ModalDialog(const wchar_t* window_class, TextView caption, int client_width, int client_height);
  virtual ~ModalDialog();

  HWND window() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  const PixelScale& scale() const { return scale_; }
  HFONT font() const { return font_.get(); }
  HWND AddControl(const wchar_t* window_class, TextView text, DWORD style, DWORD ex_style, int id,
                  const TwipsRect& place);
  void Close() { closed_ = true; }

  // The controls are made and the texts loaded.
  virtual void OnCreate() = 0;
  // WM_COMMAND of a control: a click, a selection.
  virtual void OnCommand(int id, int code) = 0;
  // Enter (IDOK) and Escape (IDCANCEL). Neither presses a default or cancel
  // button here: Enter presses the button that has the focus, Escape
  // nothing.
  virtual void OnDialogKey(int id);
  // Any other message; true when handled, with its result.
  virtual bool OnOtherMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

 private:
  friend LRESULT CALLBACK ObjectWindowProc<ModalDialog>(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);

  const wchar_t* window_class_;
  Text caption_;
  int client_width_;
  int client_height_;
  PixelScale scale_;
  FontHandle font_;
  HWND window_ = nullptr;
  HWND saved_focus_ = nullptr;
  bool closed_ = false;
};

}  // namespace tavik
