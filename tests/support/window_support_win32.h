// What the window tests share on Win32: window texts asked across threads
// and processes, finding a window once it shows, posted clicks and keys,
// and a modal window run on this thread while another thread drives it.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace tavik::test {

// A window's text in UTF-8; a control of a dialog by its identifier.
std::string TextOf(HWND window);
std::string TextOf(HWND dialog, int id);

// The first visible top-level window of the class (and caption, and
// process when given), once it shows.
HWND WaitForWindow(const wchar_t* window_class, const wchar_t* caption = nullptr, DWORD process = 0);

// A click on a dialog's button, and a key to a control, as posted input.
void PostClick(HWND dialog, int id);
void PostKey(HWND control, WPARAM key);
void PostMouseClick(HWND control, POINT at, bool twice = false);

// A message box's text, then OK pressed.
std::string AnswerMessageBox(HWND box);

// Runs `open` on this thread (it returns when its modal loop has ended)
// while `drive` works the windows from a second thread.
void WhileOpen(const std::function<void()>& open, const std::function<void()>& drive);

}  // namespace tavik::test
