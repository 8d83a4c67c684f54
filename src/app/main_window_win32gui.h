// frmMain on Win32: the window, its controls and menus, Timer1, the tray
// icon, help, and the shutdown paths. The decisions live in MainForm.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <memory>

#include "app/main_form.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"

namespace tavik {

// The program folder: the folder of the running executable, no "\" at
// the end.
Text ExecutableFolder();

class MainWindow final : public MainWindowPort {
 public:
  MainWindow(HINSTANCE instance, ShellServices& services, SettingsStore& store,
             ProgramValues& values);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // Creates the window hidden and runs Form_Load. False when the window
  // could not be created.
  bool Create();
  HWND handle() const { return hwnd_; }
  MainForm& form() { return form_; }

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

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void OnCreate();
  void OnCommand(int id);
  void OnMouseDown(int button, LPARAM lparam);
  void Unload();
  bool TrayCall(DWORD action);
  void AddTrayIconOrRetry();
  void mnuOpt_Click();
  void mnuAbout_Click();
  void mnuHelpIndex_Click();
  void mnuExit_Click();
  int Px(int twips) const;

  HINSTANCE instance_;
  ShellServices& services_;
  SettingsStore& store_;
  ProgramValues& values_;
  MainForm form_;
  HWND hwnd_ = nullptr;
  HWND check1_ = nullptr;
  HWND cmd_hide_ = nullptr;
  HWND cmd_startup_ = nullptr;
  HMENU tray_menu_ = nullptr;  // mnuPopup's bar; its first submenu is the popup
  HFONT font_ = nullptr;
  HICON icon_ = nullptr;
  HICON small_icon_ = nullptr;
  int dpi_ = 96;
  UINT taskbar_created_ = 0;
  NOTIFYICONDATAA tray_icon_{};
  bool tray_up_ = false;
  bool unloaded_ = false;
  unsigned long ticks_ = 0;
};

}  // namespace tavik
