// The start-up shortcut: "\TavikFMのショートカット.lnk" in the user's
// Startup folder, pointing at "tavikFM.exe" in the program folder, so that
// Windows starts the program at logon. One-way: nothing removes it again.
#pragma once

#include "common/text.h"

namespace tavik {

// Writes the shortcut; false at the first failure.
bool SaveStartupShortcut(const Text& program_folder);

}  // namespace tavik
