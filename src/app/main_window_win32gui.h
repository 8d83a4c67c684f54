// The main window on Win32: its controls and menus, the intake timer, the
// tray icon, the dialogs it opens, and the ways it closes. The decisions
// live in AppController; what the window asks of the shell goes through
// DesktopShell.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "app/app_controller.h"
#include "app/desktop_shell_win32gui.h"
#include "app/help_window_win32gui.h"
#include "common/handles_win32.h"
#include "common/window_win32gui.h"

namespace tavik {

inline constexpr wchar_t kMainWindowClass[] = L"TavikFM.MainWindow";

class MainWindow final : public MainWindowView {
 public:
  MainWindow(DesktopShell& shell, ProgramServices& services);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden and runs the start-up sequence. False when
  // the window could not be created. When the window is destroyed, the
  // thread's message loop is told to quit.
  bool Create();
  HWND handle() const { return hwnd_; }

  // MainWindowView.
  void AddTrayIcon() override;
  void RemoveTrayIcon() override;
  void SetVisible(bool visible) override;
  void SetStartHiddenBox(bool checked) override;
  bool StartHiddenBox() const override;
  void SetIntakeInterval(std::int32_t milliseconds) override;
  void ShowMessage(const Text& text) override;
  void OpenDocument(const Text& path, const Text& working_folder) override;
  void Beep() override;
  void ShowTrayMenu() override;
  unsigned WindowsVersion() const override;
  bool ShowHelp(const Text& help_file) override;
  bool RaiseHelpWindow() override;
  void OpenHelpWindow(HelpFile help) override;
  // The keyboard of the program's modeless windows (the main window and
  // the help window) for a message of the thread's loop; true when one of
  // them took it.
  bool TakeDialogKey(MSG& message);
  bool SaveStartupShortcut() override;

 private:
  friend LRESULT CALLBACK ObjectWindowProc<MainWindow>(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void OnCommand(int id);
  void Close();
  void OnDestroy();
  void AddTrayIconOrRetry();
  // Opens a dialog modally; while one is open, another opening only brings
  // it forward (the tray's menu reaches the program meanwhile).
  template <typename Open>
  void OpenDialog(Open open);

  DesktopShell& shell_;
  ProgramServices& services_;
  AppController controller_;
  PixelScale scale_;
  HWND hwnd_ = nullptr;
  HWND start_hidden_box_ = nullptr;
  MenuHandle tray_menu_;  // its one popup is the tray menu
  FontHandle font_;
  HICON icon_ = nullptr;  // shared: the system keeps it
  UINT taskbar_created_ = 0;
  NOTIFYICONDATAA tray_icon_{};
  std::unique_ptr<HelpWindow> help_window_;  // once opened; the user may have closed its window
  bool destroyed_ = false;
  bool dialog_open_ = false;
};

}  // namespace tavik
