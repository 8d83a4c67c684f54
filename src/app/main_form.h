// frmMain without windows: the load sequence, the tick handler, the tray
// notifications, the buttons, help and the shutdown, as decisions over a
// small port. The Win32 window (main_window_win32gui.cpp) is the port in
// the program; the tests drive the same logic with a fake.
#pragma once

#include <cstdint>

#include "common/text.h"
#include "intake/file_system.h"
#include "intake/intake_cycle.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"

namespace tavik {

// The main window and what it does on the platform in its own name.
class MainWindowPort {
 public:
  virtual ~MainWindowPort() = default;
  virtual void AddTrayIcon() = 0;     // Shell_NotifyIconA NIM_ADD
  virtual void RemoveTrayIcon() = 0;  // Shell_NotifyIconA NIM_DELETE
  virtual void SetVisible(bool visible) = 0;
  virtual void SetCheck1(bool checked) = 0;
  virtual bool Check1() const = 0;
  // Timer1's interval; 0 stops it, anything else (re)starts it.
  virtual void SetTimerInterval(std::int32_t milliseconds) = 0;
  // Modal, OK only, no icon, caption "TavikFM"; returns when dismissed.
  virtual void ShowMessage(const Text& text) = 0;
  // The shell's "open" action on a document, without waiting for it.
  virtual void OpenDocument(const Text& path, const Text& working_folder) = 0;
  virtual void Beep() = 0;
  // The tray popup menu at the mouse position; returns when it closes.
  virtual void ShowPopupMenu() = 0;
  // The help file's table of contents; false when the help engine could
  // not be called at all.
  virtual bool ShowHelp(const Text& help_file) = 0;
  // A shortcut to the program in the Startup folder; false on any failure.
  virtual bool SaveStartupShortcut() = 0;
};

// What the program's windows work with, made once at start and kept for
// the whole run.
struct ProgramParts {
  Text program_folder;  // the folder that holds the executable, no "\" at the end
  SettingsStore& store;
  FileSystem& files;
  IntakeCycle& intake;
  ProgramValues& values;
};

class MainForm {
 public:
  MainForm(MainWindowPort& window, ProgramParts& parts);

  // The load sequence under one error trap. Runs once.
  void Form_Load();
  // The window is about to close for any reason: HideAtStartup = Check1.
  void Form_QueryUnload();
  // "Visible" written, the tray icon removed. Runs once.
  void Form_Unload();
  // One tick: the intake cycle, failures dropped, never re-entered.
  void Timer1_Timer();
  // A mouse button went down on the window; tray notifications arrive so.
  void Form_MouseDown(int button_set, double x_twips, double twips_per_pixel);
  void cmdHide_Click();
  void cmdStartUp_Click();
  // mnuHelpIndex_Click, also run by mnuPopHelp_Click.
  void mnuHelpIndex_Click();

 private:
  void RunLoadSequence();

  MainWindowPort& window_;
  ProgramParts& parts_;
  bool loaded_ = false;
  bool ended_ = false;
  bool in_tick_ = false;
  std::int16_t hide_at_startup_ = 0;
};

// "ｴﾗｰ: '<number>' - <description>."
Text ErrorTrapMessage(int number, TextView description);

}  // namespace tavik
