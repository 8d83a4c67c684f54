// What the main window asks of the desktop shell and the window system in
// its own name: the tray icon, opening a document, the beep, help, the
// message box and the popup menu. The program uses the system's; the tests
// put a recording one in its place.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <string>

#include "common/text.h"

namespace tavik {

class DesktopShell {
 public:
  virtual ~DesktopShell() = default;
  // Shell_NotifyIconA; false when the shell refused the call.
  virtual bool NotifyIcon(DWORD action, NOTIFYICONDATAA& record) = 0;
  // ShellExecuteA(owner, "open", file, no parameters, folder,
  // SW_SHOWNORMAL), ANSI texts; the result is not looked at.
  virtual void OpenDocument(HWND owner, const std::string& file, const std::string& folder) = 0;
  // MessageBeep(MB_OK).
  virtual void Beep() = 0;
  // The major version of Windows, as GetVersionEx reports it to a program
  // whose manifest names Windows 10.
  virtual unsigned WindowsVersion() = 0;
  // WinHelpA(owner, file, HELP_FINDER, 0); false when the function could
  // not be called.
  virtual bool ShowHelp(HWND owner, const std::string& help_file) = 0;
  // The program's message box; returns when it is dismissed.
  virtual void ShowMessage(HWND owner, const Text& text) = 0;
  // `menu` as a context menu at the mouse position (TPM_RIGHTBUTTON); the
  // chosen item reaches `owner` as WM_COMMAND. Returns when it closes.
  virtual void ShowPopupMenu(HWND owner, HMENU menu) = 0;
};

// The system's shell.
DesktopShell& SystemDesktopShell();

}  // namespace tavik
