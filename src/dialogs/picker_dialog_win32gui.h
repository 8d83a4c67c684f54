// frmPictFolda on Win32: opened by frmOption2's browse buttons.
#pragma once

#include <windows.h>

#include <functional>

#include "dialogs/options_rules.h"
#include "settings/program_values.h"

namespace tavik {

// Shows the picker modally, owned by the options dialog, for the row that
// values.PickerTarget names; returns when it has closed. On its OK the
// chosen folder is already in the row's program-wide value, and
// `write_box` has put it into the options dialog's box. `program_folder`
// is where the tree opens when the starting folder cannot be opened.
void ShowFolderPicker(HWND options_dialog, ProgramValues& values, const Text& program_folder,
                      const std::function<void(OptionsFolderBox, const Text&)>& write_box);

}  // namespace tavik
