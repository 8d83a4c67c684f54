// frmMain on Win32: the window, its controls and menus, Timer1, the tray
// icon, the dialogs it opens, and the shutdown paths. The decisions live in
// MainForm; what the window asks of the shell goes through DesktopShell.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include "app/desktop_shell_win32gui.h"
#include "app/main_form.h"
#include "common/window_win32gui.h"

namespace tavik {

inline constexpr wchar_t kMainWindowClass[] = L"TavikFM.frmMain";

class MainWindow final : public MainWindowPort {
 public:
  MainWindow(DesktopShell& shell, ProgramParts& parts);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden and runs Form_Load. False when the window
  // could not be created. When the window is destroyed, the thread's
  // message loop is told to quit.
  bool Create();
  HWND handle() const { return hwnd_; }

  // MainWindowPort.
  void AddTrayIcon() override;
  void RemoveTrayIcon() override;
  void SetVisible(bool visible) override;
  void SetCheck1(bool checked) override;
  bool Check1() const override;
  void SetTimerInterval(std::int32_t milliseconds) override;
  void ShowMessage(const Text& text) override;
  void OpenDocument(const Text& path, const Text& working_folder) override;
  void Beep() override;
  void ShowPopupMenu() override;
  bool ShowHelp(const Text& help_file) override;
  bool SaveStartupShortcut() override;

 private:
  friend LRESULT CALLBACK ObjectWindowProc<MainWindow>(HWND, UINT, WPARAM, LPARAM);
  LRESULT Handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void OnCommand(int id);
  void OnMouseDown(int button, LPARAM lparam);
  void Unload();
  void AddTrayIconOrRetry();
  // Opens a dialog modally; while one is open, another opening only brings
  // it forward (the tray's menu reaches the program meanwhile).
  template <typename Open>
  void OpenDialog(Open open);

  DesktopShell& shell_;
  ProgramParts& parts_;
  MainForm form_;
  PixelScale scale_;
  HWND hwnd_ = nullptr;
  HWND check1_ = nullptr;
  HMENU tray_menu_ = nullptr;  // mnuPopup's bar; its first submenu is the popup
  HFONT font_ = nullptr;
  HICON icon_ = nullptr;
  HICON small_icon_ = nullptr;
  UINT taskbar_created_ = 0;
  NOTIFYICONDATAA tray_icon_{};
  bool unloaded_ = false;
  bool dialog_open_ = false;
};

}  // namespace tavik
