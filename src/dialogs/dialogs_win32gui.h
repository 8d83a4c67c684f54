// The program's dialogs, opened modally by the main window.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "settings/program_values.h"
#include "settings/settings_store.h"

namespace tavik {

// What the options dialog and the folder picker work on.
struct DialogContext {
  HINSTANCE instance = nullptr;
  HWND owner = nullptr;               // the main window, visible or hidden
  ProgramValues* values = nullptr;    // the program-wide values
  SettingsStore* store = nullptr;     // where "KosinTime" is written
  std::function<void(std::int32_t)> set_timer_interval;  // the main window's Timer1
};

// frmOption2: returns when the dialog has closed.
void ShowOptionsDialog(const DialogContext& context);

// cmdStartUp: puts "\TavikFMのショートカット.lnk" into the Startup folder
// and tells the user how it went.
void RegisterStartupShortcut(HWND owner);

// frmAbout: returns when the dialog has closed.
void ShowAboutDialog(HINSTANCE instance, HWND owner);

}  // namespace tavik
