// tavik_poke: does to a running tavikFM.exe what the user would, for the
// screenshot script, and prints the place of the window to photograph as
// ImageMagick's crop geometry ("WxH+X+Y").
//
//   tavik_poke show      the tray icon's double click: the main window
//   tavik_poke popup     the tray icon's right click: window and popup menu
//   tavik_poke escape    Escape to the open popup menu
//   tavik_poke about     "ﾊﾞｰｼﾞｮﾝ情報(&A)": the version dialog
//   tavik_poke options   "環境設定(&O)": the options dialog
//   tavik_poke picker    the options dialog's first "...": the folder picker
//   tavik_poke help      "ﾍﾙﾌﾟ目次(&H)": the program's help window, or the
//                        Windows help engine's (before Windows 10)
//   tavik_poke cancel    closes the innermost dialog
//   tavik_poke close     WM_CLOSE to the main window
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/help_window_win32gui.h"
#include "app/main_window_win32gui.h"
#include "app/resource.h"
#include "dialogs/dialogs_win32gui.h"

namespace {

// The visible window of the class, waited for up to 30 s.
HWND Shown(const wchar_t* window_class) {
  for (int i = 0; i < 600; ++i) {
    HWND window = FindWindowW(window_class, nullptr);
    if (window != nullptr && IsWindowVisible(window)) return window;
    Sleep(50);
  }
  return nullptr;
}

int Print(RECT place) {
  std::printf("%ldx%ld+%ld+%ld\n", place.right - place.left, place.bottom - place.top, place.left, place.top);
  return 0;
}

int Print(HWND window) {
  RECT place{};
  if (window == nullptr || !GetWindowRect(window, &place)) return 1;
  return Print(place);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring what = argv[1];
  HWND main = nullptr;
  for (int i = 0; i < 600 && main == nullptr; ++i, Sleep(50)) main = FindWindowW(tavik::kMainWindowClass, nullptr);
  if (main == nullptr) return 1;
  if (what == L"show") {
    PostMessageW(main, WM_MBUTTONDOWN, 1, WM_LBUTTONDBLCLK);
    return Print(Shown(tavik::kMainWindowClass));
  }
  if (what == L"popup") {
    RECT frame{};
    GetWindowRect(main, &frame);
    SetCursorPos(frame.right + 10, frame.top + 20);  // the menu opens at the mouse
    PostMessageW(main, WM_MBUTTONDOWN, 1, WM_RBUTTONDOWN);
    RECT menu{};
    if (!GetWindowRect(Shown(L"#32768"), &menu)) return 1;
    return Print(RECT{std::min(frame.left, menu.left), std::min(frame.top, menu.top), std::max(frame.right, menu.right),
                      std::max(frame.bottom, menu.bottom)});
  }
  if (what == L"escape") {
    HWND menu = FindWindowW(L"#32768", nullptr);
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(menu, WM_KEYUP, VK_ESCAPE, 0);
    return 0;
  }
  if (what == L"about") {
    PostMessageW(main, WM_COMMAND, IDM_ABOUT, 0);
    return Print(Shown(tavik::kAboutWindowClass));
  }
  if (what == L"options") {
    PostMessageW(main, WM_COMMAND, IDM_OPTIONS, 0);
    return Print(Shown(tavik::kOptionsWindowClass));
  }
  if (what == L"picker") {
    HWND options = Shown(tavik::kOptionsWindowClass);
    PostMessageW(options, WM_COMMAND, MAKEWPARAM(tavik::kIdExchangeFolderBrowse, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(options, tavik::kIdExchangeFolderBrowse)));
    return Print(Shown(tavik::kPickerWindowClass));
  }
  if (what == L"help") {
    PostMessageW(main, WM_COMMAND, IDM_HELP_CONTENTS, 0);
    for (int i = 0; i < 600; ++i, Sleep(50)) {
      for (const wchar_t* window_class : {tavik::kHelpWindowClass, L"MS_WINHELP"}) {
        HWND help = FindWindowW(window_class, nullptr);
        if (help != nullptr && IsWindowVisible(help)) return Print(help);
      }
    }
    return 1;
  }
  if (what == L"cancel") {
    for (const wchar_t* window_class :
         {tavik::kPickerWindowClass, tavik::kOptionsWindowClass, tavik::kAboutWindowClass}) {
      HWND dialog = FindWindowW(window_class, nullptr);
      if (dialog == nullptr) continue;
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      while (IsWindow(dialog)) Sleep(50);
      return 0;
    }
    return 1;
  }
  if (what == L"close") return PostMessageW(main, WM_CLOSE, 0, 0) ? 0 : 1;
  return 2;
}
