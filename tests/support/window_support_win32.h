// What the window tests share on Win32: window texts asked across threads
// and processes, a window found once it shows, posted input, and a modal
// window run on this thread while another thread drives it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tavik::test {

std::string TextOf(HWND window);  // UTF-8
inline std::string TextOf(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

// The first visible top-level window of the class (and caption, when
// given), once it shows; nullptr when none shows in time.
HWND WaitForWindow(const wchar_t* window_class, const wchar_t* caption = nullptr);

void PostClick(HWND dialog, int id);  // a button's click
void PostKey(HWND control, WPARAM key);
void PostMouseClick(HWND control, POINT at, bool twice = false);

std::string AnswerMessageBox(HWND box);  // its text; OK pressed

// Runs `open` (a modal loop) on this thread while `drive` works it from a
// second thread. What `drive` leaves open is closed; a loop that does not
// end then gets WM_QUIT, which the next test's set-up takes off the queue.
void WhileOpen(const std::function<void()>& open, const std::function<void()>& drive);

}  // namespace tavik::test
