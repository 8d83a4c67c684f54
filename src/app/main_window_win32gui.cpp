#include "app/main_window_win32gui.h"

#include <cstring>
#include <utility>

#include "app/resource.h"
#include "app/startup_shortcut_win32gui.h"
#include "common/program_texts.h"
#include "common/wide_text_win32.h"
#include "dialogs/dialogs_win32gui.h"

namespace tavik {
namespace {

constexpr UINT_PTR kIntakeTimerId = 1;
constexpr UINT_PTR kTrayRetryTimerId = 2;
constexpr UINT kTrayRetryMilliseconds = 2000;
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// The layout in twips: client area and controls.
constexpr int kClientWidth = 3696;
constexpr int kClientHeight = 1560;
constexpr TwipsRect kStartHiddenPlace{120, 1080, 3372, 252};
constexpr TwipsRect kHideToTrayPlace{120, 360, 1215, 372};
constexpr TwipsRect kStartupShortcutPlace{1920, 360, 1575, 375};

// The tray record in its first layout: 88 bytes on 32-bit Windows. The
// record and its callback stay as they are (docs/contracts.md).
#ifndef NOTIFYICONDATAA_V1_SIZE
#define NOTIFYICONDATAA_V1_SIZE FIELD_OFFSET(NOTIFYICONDATAA, szTip[64])
#endif
constexpr UINT kTrayId = 1;
constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
// The tray icon reports as a middle-button press whose wParam is the
// icon's id and whose x coordinate is the mouse message over the icon. A
// real middle click carries MK_MBUTTON in wParam instead, and its x may be
// any of those messages' numbers on a screen scaled large enough.
constexpr UINT kTrayCallback = WM_MBUTTONDOWN;  // 0x0207

}  // namespace

MainWindow::MainWindow(DesktopShell& shell, ProgramServices& services)
    : shell_(shell), services_(services), controller_(*this, services) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
}

bool MainWindow::Create() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  // Both shared: the system keeps them as long as the module, so the window
  // class, which outlives this window, never holds a destroyed icon.
  icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TAVIKFM), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  HICON small_icon =
      static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TAVIKFM), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  if (!RegisterProgramClass(kMainWindowClass, &ObjectWindowProc<MainWindow>, icon_, small_icon)) return false;
  tray_menu_.reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_TRAYMENU)));
  // The menu bar belongs to the window from here on and goes with it.
  HMENU menu_bar = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU));
  RECT frame{0, 0, scale_.X(kClientWidth), scale_.Y(kClientHeight)};
  AdjustWindowRectEx(&frame, kMainStyle, TRUE, 0);
  hwnd_ = CreateWindowExW(0, kMainWindowClass, WideCStr(Text(kProgramTitle)), kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          frame.right - frame.left, frame.bottom - frame.top, nullptr, menu_bar, instance, this);
  if (hwnd_ == nullptr) {
    DestroyMenu(menu_bar);
    return false;
  }
  // A menu bar that wrapped onto two lines takes from the client area.
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int missing = scale_.Y(kClientHeight) - (client.bottom - client.top);
  if (missing > 0) {
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + missing,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  controller_.Start();
  return true;
}

void MainWindow::CreateControls() {
  font_ = CreateProgramFont(scale_);
  // Created in tab order.
  start_hidden_box_ = CreateChild(hwnd_, L"BUTTON", Text(kStartHiddenCaption), BS_AUTOCHECKBOX | WS_TABSTOP, 0,
                                  IDC_START_HIDDEN, kStartHiddenPlace, scale_, font_.get());
  CreateChild(hwnd_, L"BUTTON", Text(kHideToTrayCaption), BS_PUSHBUTTON | WS_TABSTOP, 0, IDC_HIDE_TO_TRAY,
              kHideToTrayPlace, scale_, font_.get());
  CreateChild(hwnd_, L"BUTTON", Text(kStartupShortcutCaption), BS_PUSHBUTTON | WS_TABSTOP, 0, IDC_ADD_STARTUP_SHORTCUT,
              kStartupShortcutPlace, scale_, font_.get());
}

LRESULT MainWindow::OnWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE: hwnd_ = hwnd; return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_CREATE: CreateControls(); return 0;
    case WM_COMMAND: OnCommand(LOWORD(wparam)); return 0;
    case WM_TIMER:
      if (wparam == kIntakeTimerId) controller_.OnTick();
      if (wparam == kTrayRetryTimerId) AddTrayIconOrRetry();
      return 0;
    case kTrayCallback:
      if (wparam == kTrayId) controller_.OnTrayNotification(LOWORD(lparam));
      return 0;
    case WM_CLOSE: Close(); return 0;
    case WM_ENDSESSION:
      if (wparam != FALSE) Close();
      return 0;
    case WM_DESTROY:
      OnDestroy();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY: hwnd_ = nullptr; return DefWindowProcW(hwnd, message, wparam, lparam);
    default:
      // The shell was (re)started: its notification area is empty.
      if (message == taskbar_created_ && taskbar_created_ != 0 && tray_icon_.cbSize != 0) {
        AddTrayIconOrRetry();
        return 0;
      }
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

// Every way of closing comes here (docs/contracts.md: the exit commands, the close box, the
// end of the session, WM_CLOSE from outside); none is refused.
void MainWindow::Close() {
  controller_.RememberStartHidden();
  DestroyWindow(hwnd_);
}

void MainWindow::OnDestroy() {
  destroyed_ = true;
  help_window_.reset();
  controller_.Shutdown();  // runs once
}

// One dialog at a time (docs/contracts.md).
template <typename Open>
void MainWindow::OpenDialog(Open open) {
  if (dialog_open_) {
    SetForegroundWindow(GetLastActivePopup(hwnd_));
    return;
  }
  dialog_open_ = true;
  // Cleared however the dialog ends.
  struct ClearOnExit {
    bool& flag;
    ~ClearOnExit() { flag = false; }
  } const clear{dialog_open_};
  open();
}

void MainWindow::OnCommand(int id) {
  switch (id) {
    case IDC_HIDE_TO_TRAY: controller_.HideToTray(); break;
    case IDC_ADD_STARTUP_SHORTCUT: controller_.AddStartupShortcut(); break;
    case IDM_OPTIONS:
      OpenDialog([this] {
        DialogContext context{services_.values, services_.store, services_.program_folder,
                              [this](std::int32_t milliseconds) { SetIntakeInterval(milliseconds); }};
        ShowOptionsDialog(hwnd_, context);
      });
      break;
    case IDM_ABOUT: OpenDialog([this] { ShowAboutDialog(hwnd_); }); break;
    case IDM_HELP_CONTENTS: controller_.ShowHelpContents(); break;
    case IDM_EXIT:  // the close box's path
      if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      break;
    default: break;
  }
}

// MainWindowView.

void MainWindow::AddTrayIcon() {
  std::memset(&tray_icon_, 0, sizeof(tray_icon_));
  tray_icon_.cbSize = NOTIFYICONDATAA_V1_SIZE;
  tray_icon_.hWnd = hwnd_;
  tray_icon_.uID = kTrayId;
  tray_icon_.uFlags = kTrayFlags;
  tray_icon_.uCallbackMessage = kTrayCallback;
  tray_icon_.hIcon = icon_;
  // "TavikFM", a NUL, then blanks to the end of the 64-byte field.
  std::memset(tray_icon_.szTip, ' ', 64);
  std::memcpy(tray_icon_.szTip, kTrayTip, sizeof kTrayTip);
  AddTrayIconOrRetry();
}

void MainWindow::AddTrayIconOrRetry() {
  if (destroyed_ || hwnd_ == nullptr) return;
  // Added again until the shell takes it (docs/contracts.md). An icon the shell
  // already holds (a second TaskbarCreated, say) only
  // needs to be brought up to date.
  if (shell_.NotifyIcon(NIM_ADD, tray_icon_) || shell_.NotifyIcon(NIM_MODIFY, tray_icon_)) {
    KillTimer(hwnd_, kTrayRetryTimerId);
    return;
  }
  // The shell is not ready yet (a start at logon): try again shortly.
  SetTimer(hwnd_, kTrayRetryTimerId, kTrayRetryMilliseconds, nullptr);
}

void MainWindow::RemoveTrayIcon() {
  if (hwnd_ != nullptr) KillTimer(hwnd_, kTrayRetryTimerId);
  if (tray_icon_.cbSize != 0) shell_.NotifyIcon(NIM_DELETE, tray_icon_);
}

void MainWindow::SetVisible(bool visible) {
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::SetStartHiddenBox(bool checked) {
  SendMessageW(start_hidden_box_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool MainWindow::StartHiddenBox() const {
  return start_hidden_box_ != nullptr && SendMessageW(start_hidden_box_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::SetIntakeInterval(std::int32_t milliseconds) {
  if (hwnd_ == nullptr) return;
  if (milliseconds <= 0) {
    KillTimer(hwnd_, kIntakeTimerId);
  } else {
    SetTimer(hwnd_, kIntakeTimerId, static_cast<UINT>(milliseconds), nullptr);
  }
}

void MainWindow::ShowMessage(const Text& text) { shell_.ShowMessage(hwnd_, text); }

void MainWindow::OpenDocument(const Text& path, const Text& working_folder) {
  shell_.OpenDocument(hwnd_, AnsiText(path), AnsiText(working_folder));
}

void MainWindow::Beep() { shell_.Beep(); }

void MainWindow::ShowTrayMenu() {
  HMENU popup = GetSubMenu(tray_menu_.get(), 0);
  if (popup != nullptr && hwnd_ != nullptr) shell_.ShowPopupMenu(hwnd_, popup);
}

unsigned MainWindow::WindowsVersion() const { return shell_.WindowsVersion(); }

bool MainWindow::ShowHelp(const Text& help_file) { return shell_.ShowHelp(hwnd_, AnsiText(help_file)); }

bool MainWindow::RaiseHelpWindow() {
  if (!help_window_ || !help_window_->IsOpen()) return false;
  help_window_->BringForward();
  return true;
}

void MainWindow::OpenHelpWindow(HelpFile help) {
  help_window_ = std::make_unique<HelpWindow>(std::move(help));
  help_window_->Open(icon_);
}

bool MainWindow::TakeDialogKey(MSG& message) {
  if (hwnd_ != nullptr && IsDialogMessageW(hwnd_, &message)) return true;
  return help_window_ && help_window_->TakeDialogKey(message);
}

bool MainWindow::SaveStartupShortcut() { return tavik::SaveStartupShortcut(services_.program_folder); }

}  // namespace tavik
