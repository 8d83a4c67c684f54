#include "app/main_window_win32gui.h"

#include <cstring>

#include "app/app_texts.h"
#include "app/resource.h"
#include "app/startup_shortcut_win32gui.h"
#include "app/tray_decoding.h"
#include "common/wide_text_win32.h"
#include "dialogs/dialogs_win32gui.h"

namespace tavik {
namespace {

constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kTrayRetryTimer = 2;
constexpr UINT kTrayRetryMilliseconds = 2000;
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;

// frmMain's layout in twips: client area and controls.
constexpr int kClientWidth = 3696;
constexpr int kClientHeight = 1560;
constexpr TwipsRect kCheck1Place{120, 1080, 3372, 252};
constexpr TwipsRect kCmdHidePlace{120, 360, 1215, 372};
constexpr TwipsRect kCmdStartUpPlace{1920, 360, 1575, 375};

// The tray record in its first layout: 88 bytes on 32-bit Windows.
#ifndef NOTIFYICONDATAA_V1_SIZE
#define NOTIFYICONDATAA_V1_SIZE FIELD_OFFSET(NOTIFYICONDATAA, szTip[64])
#endif
constexpr UINT kTrayId = 1;
constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
constexpr UINT kTrayCallback = WM_MBUTTONDOWN;                // 0x0207

}  // namespace

MainWindow::MainWindow(DesktopShell& shell, ProgramParts& parts)
    : shell_(shell), parts_(parts), form_(*this, parts) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (tray_menu_ != nullptr) DestroyMenu(tray_menu_);
  if (font_ != nullptr) DeleteObject(font_);
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
}

bool MainWindow::Create() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TAVIKFM), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
  small_icon_ = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_TAVIKFM), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = &ObjectWindowProc<MainWindow>;
  window_class.hInstance = instance;
  window_class.hIcon = icon_;
  window_class.hIconSm = small_icon_;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kMainWindowClass;
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  HMENU menu_bar = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU));
  tray_menu_ = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_TRAYMENU));
  RECT frame{0, 0, scale_.X(kClientWidth), scale_.Y(kClientHeight)};
  AdjustWindowRectEx(&frame, kMainStyle, TRUE, 0);
  hwnd_ = CreateWindowExW(0, kMainWindowClass, WideCStr(Text(kProgramTitle)), kMainStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, menu_bar,
                          instance, this);
  if (hwnd_ == nullptr) return false;
  // A menu bar that wrapped onto two lines takes from the client area.
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int missing = scale_.Y(kClientHeight) - (client.bottom - client.top);
  if (missing > 0) {
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top + missing,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  form_.Form_Load();
  return true;
}

void MainWindow::CreateControls() {
  font_ = CreateProgramFont(scale_);
  // Created in tab order.
  check1_ = CreateChild(hwnd_, L"BUTTON", Text(kCheck1Caption), BS_AUTOCHECKBOX | WS_TABSTOP, 0, IDC_CHECK1,
                        kCheck1Place, scale_, font_);
  CreateChild(hwnd_, L"BUTTON", Text(kCmdHideCaption), BS_PUSHBUTTON | WS_TABSTOP, 0, IDC_CMDHIDE, kCmdHidePlace,
              scale_, font_);
  CreateChild(hwnd_, L"BUTTON", Text(kCmdStartUpCaption), BS_PUSHBUTTON | WS_TABSTOP, 0, IDC_CMDSTARTUP,
              kCmdStartUpPlace, scale_, font_);
}

LRESULT MainWindow::Handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_NCCREATE:
      hwnd_ = hwnd;
      return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_CREATE:
      CreateControls();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam));
      return 0;
    case WM_TIMER:
      if (wparam == kTimer1) form_.Timer1_Timer();
      if (wparam == kTrayRetryTimer) AddTrayIconOrRetry();
      return 0;
    case WM_LBUTTONDOWN:
      OnMouseDown(kLeftButton, lparam);
      return 0;
    case WM_RBUTTONDOWN:
      OnMouseDown(kRightButton, lparam);
      return 0;
    case WM_MBUTTONDOWN:  // also the tray icon's notifications
      OnMouseDown(kMiddleButton, lparam);
      return 0;
    case WM_CLOSE:
      // Form_QueryUnload never cancels.
      form_.Form_QueryUnload();
      DestroyWindow(hwnd_);
      return 0;
    case WM_QUERYENDSESSION:
      return TRUE;
    case WM_ENDSESSION:
      if (wparam != FALSE) {
        form_.Form_QueryUnload();
        DestroyWindow(hwnd_);
      }
      return 0;
    case WM_DESTROY:
      Unload();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      return 0;
    default:
      // The shell was (re)started: its notification area is empty.
      if (message == taskbar_created_ && taskbar_created_ != 0 && tray_icon_.cbSize != 0) {
        AddTrayIconOrRetry();
        return 0;
      }
      return DefWindowProcW(hwnd_, message, wparam, lparam);
  }
}

void MainWindow::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  form_.Form_Unload();
}

void MainWindow::OnMouseDown(int button, LPARAM lparam) {
  // The x coordinate as the form reports it: pixels times twips per pixel.
  const int twips_per_pixel = TwipsPerPixel(scale_.dpi_x());
  form_.Form_MouseDown(button, static_cast<double>(LOWORD(lparam)) * twips_per_pixel, twips_per_pixel);
}

template <typename Open>
void MainWindow::OpenDialog(Open open) {
  if (dialog_open_) {
    SetForegroundWindow(GetLastActivePopup(hwnd_));
    return;
  }
  dialog_open_ = true;
  open();
  dialog_open_ = false;
}

void MainWindow::OnCommand(int id) {
  switch (id) {
    case IDC_CMDHIDE:
      form_.cmdHide_Click();
      break;
    case IDC_CMDSTARTUP:
      form_.cmdStartUp_Click();
      break;
    case IDM_FILE_OPT:  // mnuFileOpt_Click, mnuPopOpt_Click
    case IDM_POP_OPT:
      OpenDialog([this] {
        DialogContext context{parts_.values, parts_.store, parts_.program_folder,
                              [this](std::int32_t milliseconds) { SetTimerInterval(milliseconds); }};
        ShowOptionsDialog(hwnd_, context);
      });
      break;
    case IDM_HELP_ABOUT:  // mnuHelpAbout_Click, mnuPopAbout_Click
    case IDM_POP_ABOUT:
      OpenDialog([this] { ShowAboutDialog(hwnd_); });
      break;
    case IDM_HELP_INDEX:  // mnuHelpIndex_Click; mnuPopHelp_Click runs it
    case IDM_POP_HELP:
      form_.mnuHelpIndex_Click();
      break;
    case IDM_FILE_EXIT:  // mnuFileExit_Click, mnuPopExit_Click: the close box's path
    case IDM_POP_EXIT:
      if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

// MainWindowPort.

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
  std::memcpy(tray_icon_.szTip, "TavikFM", 8);
  AddTrayIconOrRetry();
}

void MainWindow::AddTrayIconOrRetry() {
  if (unloaded_ || hwnd_ == nullptr) return;
  // An icon the shell already holds (a second TaskbarCreated, say) only
  // needs to be brought up to date.
  if (shell_.NotifyIcon(NIM_ADD, tray_icon_) || shell_.NotifyIcon(NIM_MODIFY, tray_icon_)) {
    KillTimer(hwnd_, kTrayRetryTimer);
    return;
  }
  // The shell is not ready yet (a start at logon): try again shortly.
  SetTimer(hwnd_, kTrayRetryTimer, kTrayRetryMilliseconds, nullptr);
}

void MainWindow::RemoveTrayIcon() {
  if (hwnd_ != nullptr) KillTimer(hwnd_, kTrayRetryTimer);
  if (tray_icon_.cbSize != 0) shell_.NotifyIcon(NIM_DELETE, tray_icon_);
}

void MainWindow::SetVisible(bool visible) {
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

void MainWindow::SetCheck1(bool checked) {
  SendMessageW(check1_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool MainWindow::Check1() const {
  return check1_ != nullptr && SendMessageW(check1_, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::SetTimerInterval(std::int32_t milliseconds) {
  if (hwnd_ == nullptr) return;
  if (milliseconds <= 0) {
    KillTimer(hwnd_, kTimer1);
  } else {
    SetTimer(hwnd_, kTimer1, static_cast<UINT>(milliseconds), nullptr);
  }
}

void MainWindow::ShowMessage(const Text& text) { shell_.ShowMessage(hwnd_, text); }

void MainWindow::OpenDocument(const Text& path, const Text& working_folder) {
  shell_.OpenDocument(hwnd_, AnsiText(path), AnsiText(working_folder));
}

void MainWindow::Beep() { shell_.Beep(); }

void MainWindow::ShowPopupMenu() {
  HMENU popup = GetSubMenu(tray_menu_, 0);
  if (popup != nullptr && hwnd_ != nullptr) shell_.ShowPopupMenu(hwnd_, popup);
}

bool MainWindow::ShowHelp(const Text& help_file) { return shell_.ShowHelp(hwnd_, AnsiText(help_file)); }

bool MainWindow::SaveStartupShortcut() { return tavik::SaveStartupShortcut(parts_.program_folder); }

}  // namespace tavik
