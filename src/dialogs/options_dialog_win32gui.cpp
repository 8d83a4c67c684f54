// frmOption2 and frmPictFolda: not built yet.
#include "dialogs/dialogs_win32gui.h"

namespace tavik {

void ShowOptionsDialog(const DialogContext&) {}

}  // namespace tavik
