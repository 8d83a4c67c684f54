#include "support/window_support_win32.h"

#include <atomic>
#include <exception>
#include <thread>

#include "common/wide_text_win32.h"
#include "support/test_support.h"

namespace tavik::test {

std::string TextOf(HWND window) {
  // An ANSI window (the rich edit of Wine's help viewer) counts its text in
  // wide characters but needs room for its bytes on the way.
  std::wstring text(2 * static_cast<std::size_t>(SendMessageW(window, WM_GETTEXTLENGTH, 0, 0)) + 2, L'\0');
  text.resize(
      static_cast<std::size_t>(SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()))));
  return Utf8(TextFromWide(text));
}

HWND WaitForWindow(const wchar_t* window_class, const wchar_t* caption) {
  HWND found = nullptr;
  WaitUntil(Utf8(TextFromWide(window_class)).c_str(), [&] {
    for (found = FindWindowExW(nullptr, nullptr, window_class, caption); found != nullptr;
         found = FindWindowExW(nullptr, found, window_class, caption)) {
      if (IsWindowVisible(found)) return true;
    }
    return false;
  });
  return found;
}

void PostClick(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PostKey(HWND control, WPARAM key) {
  PostMessageW(control, WM_KEYDOWN, key, 1);
  PostMessageW(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

void PostMouseClick(HWND control, POINT at, bool twice) {
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, where);
  PostMessageW(control, WM_LBUTTONUP, 0, where);
  if (!twice) return;
  PostMessageW(control, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
  PostMessageW(control, WM_LBUTTONUP, 0, where);
}

std::string AnswerMessageBox(HWND box) {
  const std::string text = TextOf(GetDlgItem(box, 0xFFFF));
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return text;
}

namespace {

// What a driver that stopped short left open, so that `open` returns: the
// dialogs and message boxes, which have owners, unlike the windows they
// are modal to.
BOOL CALLBACK CloseLeftover(HWND window, LPARAM) {
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process == GetCurrentProcessId() && IsWindowVisible(window) && GetWindow(window, GW_OWNER) != nullptr) {
    PostMessageW(window, WM_CLOSE, 0, 0);
  }
  return TRUE;
}

}  // namespace

void WhileOpen(const std::function<void()>& open, const std::function<void()>& drive) {
  std::atomic<bool> returned{false};
  const DWORD test_thread = GetCurrentThreadId();
  std::thread driver([&] {
    try {
      drive();
    } catch (const std::exception& error) {
      ADD_FAILURE() << "the driver stopped: " << error.what();
    }
    if (!WaitUpTo(kWaitBoundSeconds, [&] { return returned || (EnumWindows(CloseLeftover, 0), false); })) {
      // A window that does not close on request: its modal loop ends on
      // WM_QUIT, which it hands on to the test thread's own loop.
      ADD_FAILURE() << "the modal window did not close on request";
      PostThreadMessageW(test_thread, WM_QUIT, 0, 0);
      WaitUpTo(kWaitBoundSeconds, [&] { return returned.load(); });
    }
  });
  open();
  returned = true;
  driver.join();
}

}  // namespace tavik::test
