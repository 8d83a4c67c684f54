// The folder picker on Win32, opened by the options dialog's browse
// buttons.
#pragma once

#include <windows.h>

#include <functional>

#include "dialogs/options_rules.h"
#include "settings/program_values.h"

namespace tavik {

// Shows the picker modally, owned by the options dialog, for `row`;
// returns when it has closed. On its OK the chosen folder is already the
// row's program-wide value, and `write_box` has put it into the row's box.
// `program_folder` is where the tree opens when the row's folder cannot be
// opened.
void ShowFolderPicker(HWND options_dialog, FolderRow row, ProgramValues& values, const Text& program_folder,
                      const std::function<void(const Text&)>& write_box);

}  // namespace tavik
