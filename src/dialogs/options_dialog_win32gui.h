// frmOption2 on Win32: its window class and control identifiers, for the
// code that drives the dialog from outside (the tests).
#pragma once

namespace tavik {

inline constexpr wchar_t kOptionsWindowClass[] = L"TavikFM_frmOption2";

// Control identifiers of frmOption2, in tab order. IDOK and IDCANCEL are
// left free: the dialog manager sends them for Enter and Escape.
enum OptionsControlId : int {
  kIdTxtFolda = 110,
  kIdCmdFolda = 111,
  kIdOptionsCmdOK = 112,
  kIdOptionsCmdCancel = 113,
  kIdLabel1 = 114,
  kIdLabel2 = 115,
  kIdTxtKosinTime = 116,
  kIdLabel3 = 117,
  kIdLabel4 = 118,
  kIdTxtBackupFolda = 119,
  kIdCmdBackupFolda = 120,
  kIdLabel6 = 121,
  kIdTxtTavikDB = 122,
  kIdCmdTavikDB = 123,
};

}  // namespace tavik
