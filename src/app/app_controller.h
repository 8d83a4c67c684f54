// What the main window does, apart from its window: start-up, the intake's
// tick, the tray icon's notifications, the buttons, help and shutdown, as
// decisions over a small view. The Win32 window (main_window_win32gui.cpp)
// is the view in the program; the tests drive the same logic with a fake.
#pragma once

#include <cstdint>

#include "app/help_file.h"
#include "common/text.h"
#include "intake/file_system.h"
#include "intake/intake_cycle.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"

namespace tavik {

// The main window and what it does on the platform in its own name.
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  virtual void AddTrayIcon() = 0;
  virtual void RemoveTrayIcon() = 0;
  virtual void SetVisible(bool visible) = 0;
  // The box "start hidden next time" (次回からこのWindowを表示しない).
  virtual void SetStartHiddenBox(bool checked) = 0;
  virtual bool StartHiddenBox() const = 0;
  // The intake timer's interval; 0 stops it, anything else (re)starts it.
  virtual void SetIntakeInterval(std::int32_t milliseconds) = 0;
  // Modal, OK only, no icon, caption "TavikFM"; returns when dismissed.
  virtual void ShowMessage(const Text& text) = 0;
  // The shell's "open" action on a document, without waiting for it.
  virtual void OpenDocument(const Text& path, const Text& working_folder) = 0;
  virtual void Beep() = 0;
  // The tray menu at the mouse position; returns when it closes.
  virtual void ShowTrayMenu() = 0;
  // The major version of Windows as the system reports it (10 on Windows
  // 10 and 11).
  virtual unsigned WindowsVersion() const = 0;
  // The Windows help engine on the help file's table of contents; false
  // when the engine could not be called at all.
  virtual bool ShowHelp(const Text& help_file) = 0;
  // The program's own help window: brought forward when it is open (true),
  // otherwise false and nothing happens.
  virtual bool RaiseHelpWindow() = 0;
  // Opens the program's own help window on the file's contents topic.
  virtual void OpenHelpWindow(HelpFile help) = 0;
  // A shortcut to the program in the Startup folder; false on any failure.
  virtual bool SaveStartupShortcut() = 0;
};

// The program's services, made once at start and kept for the whole run.
struct ProgramServices {
  Text program_folder;  // the folder that holds the executable, no "\" at the end
  SettingsStore& store;
  FileSystem& files;
  IntakeCycle& intake;
  ProgramValues& values;
};

// What a mouse message over the tray icon asks for.
enum class TrayAction { None, Beep, ShowWindow, ShowMenu };

// A left press beeps, a left double click shows the main window, a right
// press opens the tray menu; any other message (a release, a move, the
// middle button) asks for nothing.
TrayAction TrayActionFor(unsigned mouse_message);

// Windows has a help engine for help files before Windows 10; from 10 on
// the program shows its help file in its own window.
bool WindowsShowsHelpFiles(unsigned windows_version);

// A help file is a few tens of kilobytes; a larger one is not read.
inline constexpr std::uint64_t kMaxHelpFileBytes = std::uint64_t{16} * 1024 * 1024;

class AppController {
 public:
  AppController(MainWindowView& window, ProgramServices& services);

  // The start-up sequence under one error trap: the tray icon, the
  // settings, the checks of the exchange folder and the database file,
  // the database file opened with its application (the shell's "open"),
  // the backups rotated, the intake timer started,
  // the window shown or hidden. Runs once.
  void Start();
  // The window is about to close for any reason: the box's state is what
  // "Visible" will be saved as.
  void RememberStartHidden();
  // "Visible" written, the timer stopped, the tray icon removed. Runs once.
  void Shutdown();
  // One tick: the intake cycle, failures dropped, never re-entered.
  void OnTick();
  // The tray icon reported `mouse_message` (WM_LBUTTONDOWN and the like).
  void OnTrayNotification(unsigned mouse_message);
  void HideToTray();
  void AddStartupShortcut();
  // The help file's table of contents: through the Windows help engine
  // where Windows has one, otherwise in the program's own window.
  void ShowHelpContents();

 private:
  void RunStartSequence();

  MainWindowView& window_;
  ProgramServices& services_;
  bool started_ = false;
  bool shut_down_ = false;
  bool in_tick_ = false;
  std::int16_t hide_at_startup_ = 0;
};

// The start-up's error text: "ｴﾗｰ: '<number>' - <description>.".
Text StartupErrorMessage(int number, TextView description);

}  // namespace tavik
