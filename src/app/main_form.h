// frmMain without windows: the load sequence, the tick handler, the tray
// notifications and the shutdown, as decisions over small ports. The
// Win32 window (main_window_win32gui.cpp) is one implementation of the
// ports; the tests drive the same logic with fakes.
#pragma once

#include <cstdint>

#include "common/text.h"
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
};

// The directory query of the start-up checks.
enum class ExistenceQuery {
  Directory,  // with the directory attribute: a folder or a file
  Normal,     // normal attributes: an ordinary file
};

// What the start-up and the ticks need beyond the window.
class ShellServices {
 public:
  virtual ~ShellServices() = default;
  // The folder that holds the running executable (no trailing "\").
  virtual Text ProgramFolder() = 0;
  virtual bool Exists(const Text& path, ExistenceQuery query) = 0;
  virtual void RotateBackups(const Text& exchange_folder) = 0;
  virtual void ProcessExchangeFiles(const Text& exchange_folder) = 0;
};

enum class FormState {
  Created,   // before Form_Load
  Loading,   // inside Form_Load
  Degraded,  // the load sequence stopped short; the tray icon is up
  Running,   // the load sequence ran to its end
  Ended,     // Form_Unload has run
};

// The load sequence's steps, for telling where it stopped.
enum class LoadStep {
  None = 0,
  AddTrayIcon = 1,
  ReadFolda,
  ReadKosinTime,
  ReadVisible,
  FormExchangeFolder,
  CheckExchangeFolder,
  CheckDatabaseFile,
  OpenDatabaseFile,
  RotateBackups,
  StartTimer,
  ShowOrHide,
  SetCheck1,
};

class MainForm {
 public:
  MainForm(MainWindowPort& window, ShellServices& services, SettingsStore& store,
           ProgramValues& values);

  // L1-L12 under one error trap.
  void Form_Load();
  // The window is about to close for any reason: HideAtStartup = Check1.
  void Form_QueryUnload();
  // U1 "Visible" written, U2 tray icon removed. Runs once.
  void Form_Unload();
  // One tick: the intake cycle, failures dropped, never re-entered.
  void Timer1_Timer();
  // A mouse button went down on the window; tray notifications arrive so.
  void Form_MouseDown(int button_set, double x_twips, double twips_per_pixel);
  void cmdHide_Click();
  // The tray icon's double click and the like: visibility only.
  void ShowWindow();

  FormState state() const { return state_; }
  // The last step the load sequence finished.
  LoadStep last_step() const { return last_step_; }
  std::int16_t HideAtStartup() const { return hide_at_startup_; }
  bool InTick() const { return in_tick_; }

 private:
  void RunLoadSequence();

  MainWindowPort& window_;
  ShellServices& services_;
  SettingsStore& store_;
  ProgramValues& values_;
  FormState state_ = FormState::Created;
  LoadStep last_step_ = LoadStep::None;
  std::int16_t hide_at_startup_ = 0;
  bool in_tick_ = false;
};

// "ｴﾗｰ: '<number>' - <description>."
Text ErrorTrapMessage(int number, TextView description);

// The interval applied at start-up: the stored value clamped to the
// bounds the options dialog applies, so that no stored value stops the
// timer or runs it flat out.
std::int32_t StartupTickInterval(std::int32_t stored);

}  // namespace tavik
