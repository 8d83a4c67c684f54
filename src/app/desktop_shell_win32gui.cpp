#include "app/desktop_shell_win32gui.h"

#include "common/window_win32gui.h"

namespace tavik {
namespace {

class SystemShell final : public DesktopShell {
 public:
  bool NotifyIcon(DWORD action, NOTIFYICONDATAA& record) override {
    return Shell_NotifyIconA(action, &record) != FALSE;
  }

  void OpenDocument(HWND owner, const std::string& file, const std::string& folder) override {
    ShellExecuteA(owner, "open", file.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
  }

  void Beep() override { MessageBeep(MB_OK); }

  unsigned WindowsVersion() override {
    OSVERSIONINFOW version{};
    version.dwOSVersionInfoSize = sizeof version;
    return GetVersionExW(&version) ? version.dwMajorVersion : 0;
  }

  bool ShowHelp(HWND owner, const std::string& help_file) override {
    // Looked up at the call: a system without the help engine is told
    // apart from a help file the engine cannot show.
    using WinHelpFunction = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    FARPROC entry = user32 != nullptr ? GetProcAddress(user32, "WinHelpA") : nullptr;
    if (entry == nullptr) return false;
    reinterpret_cast<WinHelpFunction>(reinterpret_cast<void (*)()>(entry))(owner, help_file.c_str(), HELP_FINDER, 0);
    return true;
  }

  void ShowMessage(HWND owner, const Text& text) override { ShowProgramMessage(owner, text); }

  void ShowPopupMenu(HWND owner, HMENU menu) override {
    POINT at{};
    GetCursorPos(&at);
    // The menu closes on a click elsewhere only when its owner is in the
    // foreground.
    SetForegroundWindow(owner);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    PostMessageW(owner, WM_NULL, 0, 0);
  }
};

}  // namespace

DesktopShell& SystemDesktopShell() {
  static SystemShell shell;
  return shell;
}

}  // namespace tavik
