// Sends frmMain what the shell or the user would, for taking screenshots:
//   tavik_gui_poke popup      the tray icon's right click (popup menu)
//   tavik_gui_poke about      the menu item "ﾊﾞｰｼﾞｮﾝ情報(&A)"
//   tavik_gui_poke show       the tray icon's double click
//   tavik_gui_poke escape     Escape to an open popup menu
//   tavik_gui_poke close      WM_CLOSE
#include <windows.h>

#include <string>

#include "../../src/app/resource.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  HWND main = nullptr;
  for (int i = 0; i < 600 && main == nullptr; ++i) {
    main = FindWindowW(L"TavikFM.frmMain", nullptr);
    if (main == nullptr) Sleep(50);
  }
  if (main == nullptr) return 1;
  const std::wstring what = argv[1];
  if (what == L"popup") {
    // The menu opens at the mouse position: put it beside the window.
    RECT frame{};
    GetWindowRect(main, &frame);
    SetCursorPos(frame.right + 20, frame.top + 20);
    PostMessageW(main, WM_MBUTTONDOWN, 1, WM_RBUTTONDOWN);
  } else if (what == L"about") {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_HELP_ABOUT, 0), 0);
  } else if (what == L"show") {
    PostMessageW(main, WM_MBUTTONDOWN, 1, WM_LBUTTONDBLCLK);
  } else if (what == L"escape") {
    if (HWND menu = FindWindowW(L"#32768", nullptr)) {
      PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
      PostMessageW(menu, WM_KEYUP, VK_ESCAPE, 0);
    }
  } else if (what == L"close") {
    PostMessageW(main, WM_CLOSE, 0, 0);
  } else {
    return 2;
  }
  return 0;
}
