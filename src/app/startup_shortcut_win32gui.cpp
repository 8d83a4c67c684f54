// The start-up shortcut: not built yet.
#include "dialogs/dialogs_win32gui.h"

namespace tavik {

void RegisterStartupShortcut(HWND) {}

}  // namespace tavik
