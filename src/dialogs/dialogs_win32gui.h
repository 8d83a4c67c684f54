// The program's dialogs, opened modally by the main window, and their
// window classes and control identifiers for code that finds them from
// outside (the tests, the screenshot tool).
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

#include "settings/program_values.h"
#include "settings/settings_store.h"

namespace tavik {

// What the options dialog and the folder picker work on.
struct DialogContext {
  ProgramValues& values;   // the program-wide values
  SettingsStore& store;    // where "KosinTime" is written
  Text program_folder;     // the picker's fallback folder
  std::function<void(std::int32_t)> set_timer_interval;  // the main window's Timer1
};

// frmOption2; returns when it has closed.
void ShowOptionsDialog(HWND owner, DialogContext& context);

// frmAbout; returns when it has closed.
void ShowAboutDialog(HWND owner);

inline constexpr wchar_t kOptionsWindowClass[] = L"TavikFM.frmOption2";
inline constexpr wchar_t kPickerWindowClass[] = L"TavikFM.frmPictFolda";
inline constexpr wchar_t kAboutWindowClass[] = L"TavikFM.frmAbout";

// Control identifiers, each dialog's in tab order. IDOK (1) and IDCANCEL
// (2) stay free for Enter and Escape.
enum DialogControlId : int {
  // frmOption2.
  kIdTxtFolda = 110,
  kIdCmdFolda,
  kIdOptionsCmdOK,
  kIdOptionsCmdCancel,
  kIdLabel1,
  kIdLabel2,
  kIdTxtKosinTime,
  kIdLabel3,
  kIdLabel4,
  kIdTxtBackupFolda,
  kIdCmdBackupFolda,
  kIdLabel6,
  kIdTxtTavikDB,
  kIdCmdTavikDB,
  // frmPictFolda.
  kIdDrive1 = 130,
  kIdDir1,
  kIdPickerCmdOK,
  kIdPickerCmdCancel,
  // frmAbout.
  kIdAboutCmdOK = 140,
  kIdLblDescription,
  kIdPicIcon,
  kIdLblTitle,
  kIdLblVersion,
};

}  // namespace tavik
