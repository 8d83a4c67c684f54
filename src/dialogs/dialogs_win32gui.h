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
  ProgramValues& values;                                  // the program-wide values
  SettingsStore& store;                                   // where "KosinTime" is written
  Text program_folder;                                    // the picker's fallback folder
  std::function<void(std::int32_t)> set_intake_interval;  // the main window's intake timer
};

// The options dialog (設定); returns when it has closed.
void ShowOptionsDialog(HWND owner, DialogContext& context);

// The version dialog, with the owner's icon; returns when it has closed.
void ShowAboutDialog(HWND owner);

inline constexpr wchar_t kOptionsWindowClass[] = L"TavikFM.OptionsDialog";
inline constexpr wchar_t kPickerWindowClass[] = L"TavikFM.FolderPicker";
inline constexpr wchar_t kAboutWindowClass[] = L"TavikFM.AboutDialog";

// Control identifiers, each dialog's in tab order. IDOK (1) and IDCANCEL
// (2) stay free for Enter and Escape.
enum DialogControlId : int {
  // The options dialog.
  kIdExchangeFolderBox = 110,
  kIdExchangeFolderBrowse,
  kIdOptionsOk,
  kIdOptionsCancel,
  kIdExchangeFolderLabel,
  kIdIntervalLabel,
  kIdIntervalBox,
  kIdIntervalUnitLabel,
  kIdBackupFolderLabel,
  kIdBackupFolderBox,
  kIdBackupFolderBrowse,
  kIdDatabaseFolderLabel,
  kIdDatabaseFolderBox,
  kIdDatabaseFolderBrowse,
  // The folder picker.
  kIdDriveList = 130,
  kIdFolderList,
  kIdFolderPickerOk,
  kIdFolderPickerCancel,
  // The version dialog.
  kIdAboutOk = 140,
  kIdAboutIcon,
  kIdAboutDescription,
  kIdAboutTitle,
  kIdAboutVersion,
};

}  // namespace tavik
