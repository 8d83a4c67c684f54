// The program's own help window on Win32, for Windows without a help
// engine: the help file's topics in a list, the chosen topic's text, and
// the topics its jumps lead to, which a double click or Enter follows. It
// is a window of its own, not modal: the intake and the tray go on while
// it is open.
#pragma once

#include <windows.h>

#include <cstddef>

#include "app/help_file.h"
#include "common/handles_win32.h"
#include "common/window_win32gui.h"

namespace tavik {

inline constexpr wchar_t kHelpWindowClass[] = L"TavikFM.HelpWindow";

// The help window's controls, in tab order.
enum HelpControlId : int {
  kIdHelpContentsLabel = 150,
  kIdHelpContents,
  kIdHelpText,
  kIdHelpLinksLabel,
  kIdHelpLinks,
  kIdHelpClose,
};

class HelpWindow {
 public:
  explicit HelpWindow(HelpFile help);
  ~HelpWindow();
  HelpWindow(const HelpWindow&) = delete;
  HelpWindow& operator=(const HelpWindow&) = delete;

  // Creates and shows the window on the contents topic, with `icon`; false
  // when it could not be created.
  bool Open(HICON icon);
  // True while the window is there (the user may have closed it).
  bool IsOpen() const { return hwnd_ != nullptr; }
  void BringForward();
  // The keyboard between the controls (Tab, Enter, Escape) for a message
  // of the thread's loop; true when the window took it.
  bool TakeDialogKey(MSG& message);

 private:
  friend LRESULT CALLBACK ObjectWindowProc<HelpWindow>(HWND, UINT, WPARAM, LPARAM);
  LRESULT OnWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  void OnCommand(int id, int code);
  void ShowTopic(std::size_t topic);
  void FollowChosenLink();

  HelpFile help_;
  std::vector<std::size_t> link_topics_;  // the links list's topics, in its order
  PixelScale scale_;
  FontHandle font_;
  HWND hwnd_ = nullptr;
};

}  // namespace tavik
