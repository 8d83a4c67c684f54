// frmPictFolda on Win32: opened by frmOption2's browse buttons.
#pragma once

#include <windows.h>

#include <functional>

#include "dialogs/options_rules.h"
#include "settings/program_values.h"

namespace tavik {

inline constexpr wchar_t kPickerWindowClass[] = L"TavikFM_frmPictFolda";

// Control identifiers of frmPictFolda, in tab order.
enum PickerControlId : int {
  kIdDrive1 = 130,
  kIdDir1 = 131,
  kIdPickerCmdOK = 132,
  kIdPickerCmdCancel = 133,
};

// Shows the picker modally, owned by the options dialog, for the row that
// values.PickerTarget names; returns when it has closed. On its OK the
// chosen folder is already in the row's program-wide value, and
// `write_box` has put it into the options dialog's box.
void ShowFolderPicker(HINSTANCE instance, HWND options_dialog, ProgramValues& values,
                      const std::function<void(OptionsFolderBox, const Text&)>& write_box);

}  // namespace tavik
