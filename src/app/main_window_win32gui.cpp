#include "app/main_window_win32gui.h"

#include <commctrl.h>
#include <psapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/app_texts.h"
#include "app/resource.h"
#include "app/tray_decoding.h"
#include "app/ui_win32gui.h"
#include "dialogs/dialogs_win32gui.h"

namespace tavik {
namespace {

constexpr wchar_t kClassName[] = L"TavikFM.frmMain";
constexpr UINT_PTR kTimer1 = 1;
constexpr UINT_PTR kTrayRetryTimer = 2;
constexpr UINT kTrayRetryMilliseconds = 2000;
constexpr DWORD kMainStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = 0;

// frmMain's layout in twips: client area and controls.
constexpr int kClientWidth = 3696;
constexpr int kClientHeight = 1560;
struct TwipsBox {
  int left, top, width, height;
};
constexpr TwipsBox kCheck1Box{120, 1080, 3372, 252};
constexpr TwipsBox kCmdHideBox{120, 360, 1215, 372};
constexpr TwipsBox kCmdStartUpBox{1920, 360, 1575, 375};

// The tray record in its first (88-byte on 32-bit Windows) layout.
#ifndef NOTIFYICONDATAA_V1_SIZE
#define NOTIFYICONDATAA_V1_SIZE FIELD_OFFSET(NOTIFYICONDATAA, szTip[64])
#endif
#if defined(_WIN32) && !defined(_WIN64)
static_assert(NOTIFYICONDATAA_V1_SIZE == 88, "the first NOTIFYICONDATAA layout is 88 bytes");
#endif
constexpr UINT kTrayId = 1;
constexpr UINT kTrayFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;  // 7
static_assert(kTrayFlags == 7, "message, icon and tip");
constexpr UINT kTrayCallback = WM_MBUTTONDOWN;  // 0x0207
static_assert(kTrayCallback == 0x0207, "tray notifications come as middle-button presses");

// The message the help engine is reached through, and its command.
constexpr UINT kHelpFinder = 11;  // HELP_FINDER
using WinHelpFunction = BOOL(WINAPI*)(HWND, LPCSTR, UINT, ULONG_PTR);

const char* TrayActionName(DWORD action) {
  switch (action) {
    case NIM_ADD: return "NIM_ADD";
    case NIM_MODIFY: return "NIM_MODIFY";
    case NIM_DELETE: return "NIM_DELETE";
    default: return "?";
  }
}

std::string MenuItemsForLog(HMENU menu) {
  std::string items;
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    wchar_t caption[128] = L"";
    MENUITEMINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
    info.dwTypeData = caption;
    info.cch = 127;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if (i > 0) items += "|";
    if ((info.fType & MFT_SEPARATOR) != 0) {
      items += "-";
    } else {
      items += ToUtf8(FromWide(caption));
    }
  }
  return items;
}

// "TavikFM", a NUL, blanks to the end of the 64 bytes.
bool TipFieldAsAgreed(const char* tip) {
  if (std::memcmp(tip, "TavikFM", 8) != 0) return false;
  for (int i = 8; i < 64; ++i) {
    if (tip[i] != ' ') return false;
  }
  return true;
}

// Test hook: TAVIKFM_TEST_TRAY_FAILURES=N (with the test log on) lets the
// first N NIM_ADD calls fail as they do before the shell is up at logon.
bool SimulatedShellNotReady() {
  static int remaining = -1;
  if (remaining < 0) {
    remaining = 0;
    wchar_t value[16];
    const DWORD length = GetEnvironmentVariableW(L"TAVIKFM_TEST_TRAY_FAILURES", value, 16);
    if (TestLogEnabled() && length > 0 && length < 16) remaining = _wtoi(value);
  }
  if (remaining <= 0) return false;
  --remaining;
  return true;
}

// Test hook (with the test log on): the process's own memory figures.
void LogMemory() {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof(counters))) {
    return;
  }
  TestLog("memory private=" + std::to_string(counters.PrivateUsage / 1024) +
          " workingset=" + std::to_string(counters.WorkingSetSize / 1024) +
          " pagefile=" + std::to_string(counters.PagefileUsage / 1024));
}

}  // namespace

Text ExecutableFolder() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return Text();
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::size_t slash = path.find_last_of(L"\\/");
  return FromWide(slash == std::wstring::npos ? std::wstring() : path.substr(0, slash));
}

MainWindow::MainWindow(HINSTANCE instance, ShellServices& services, SettingsStore& store,
                       ProgramValues& values)
    : instance_(instance),
      services_(services),
      store_(store),
      values_(values),
      form_(*this, services, store, values) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (tray_menu_ != nullptr) DestroyMenu(tray_menu_);
  if (font_ != nullptr) DeleteObject(font_);
  if (small_icon_ != nullptr) DestroyIcon(small_icon_);
}

int MainWindow::Px(int twips) const { return TwipsToPixels(twips, dpi_); }

bool MainWindow::Create() {
  dpi_ = ScreenDpi();
  icon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TAVIKFM), IMAGE_ICON,
                                        GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON),
                                        LR_SHARED));
  small_icon_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_TAVIKFM), IMAGE_ICON,
                                              GetSystemMetrics(SM_CXSMICON),
                                              GetSystemMetrics(SM_CYSMICON), 0));
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.style = 0;
  window_class.lpfnWndProc = &MainWindow::WindowProc;
  window_class.hInstance = instance_;
  window_class.hIcon = icon_;
  window_class.hIconSm = small_icon_;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kClassName;
  if (RegisterClassExW(&window_class) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }
  HMENU menu_bar = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_MAINMENU));
  tray_menu_ = LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_TRAYMENU));
  const SIZE size = WindowSizeForClient(kMainStyle, kMainExStyle, true, Px(kClientWidth),
                                        Px(kClientHeight));
  const std::wstring caption = Wide(kMainCaption);
  hwnd_ = CreateWindowExW(kMainExStyle, kClassName, caption.c_str(), kMainStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, size.cx, size.cy, nullptr, menu_bar, instance_, this);
  if (hwnd_ == nullptr) return false;
  // A menu bar that wrapped onto two lines takes from the client area.
  RECT client{};
  GetClientRect(hwnd_, &client);
  const int missing = Px(kClientHeight) - (client.bottom - client.top);
  if (missing > 0) {
    SetWindowPos(hwnd_, nullptr, 0, 0, size.cx, size.cy + missing,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  if (TestLogEnabled()) {
    TestLog("menubar " + MenuItemsForLog(GetMenu(hwnd_)));
    for (int i = 0; i < GetMenuItemCount(GetMenu(hwnd_)); ++i) {
      TestLog("menu " + std::to_string(i) + " " + MenuItemsForLog(GetSubMenu(GetMenu(hwnd_), i)));
    }
    TestLog("traymenu " + MenuItemsForLog(tray_menu_));
  }
  form_.Form_Load();
  TestLog("loaded");
  if (TestLogEnabled()) LogMemory();
  return true;
}

void MainWindow::OnCreate() {
  font_ = CreateUiFont(dpi_);
  auto make = [&](const TwipsBox& box, TextView caption, DWORD style, int id) {
    const std::wstring text = Wide(caption);
    HWND control = CreateWindowExW(0, L"BUTTON", text.c_str(),
                                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, Px(box.left),
                                   Px(box.top), Px(box.width), Px(box.height), hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_,
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return control;
  };
  // Created in tab order.
  check1_ = make(kCheck1Box, kCheck1Caption, BS_AUTOCHECKBOX, IDC_CHECK1);
  cmd_hide_ = make(kCmdHideBox, kCmdHideCaption, BS_PUSHBUTTON, IDC_CMDHIDE);
  cmd_startup_ = make(kCmdStartUpBox, kCmdStartUpCaption, BS_PUSHBUTTON, IDC_CMDSTARTUP);
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  MainWindow* self = nullptr;
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    self = static_cast<MainWindow*>(create->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  return self->Handle(message, wparam, lparam);
}

LRESULT MainWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case WM_COMMAND:
      OnCommand(LOWORD(wparam));
      return 0;
    case WM_TIMER:
      if (wparam == kTimer1) {
        form_.Timer1_Timer();
        if (TestLogEnabled() && ++ticks_ % 60 == 0) LogMemory();
      } else if (wparam == kTrayRetryTimer) {
        AddTrayIconOrRetry();
      }
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
        Unload();
        DestroyWindow(hwnd_);
      }
      return 0;
    case WM_DESTROY:
      Unload();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
      hwnd_ = nullptr;
      break;
    default:
      if (message == taskbar_created_ && taskbar_created_ != 0) {
        // The shell was (re)started: its notification area is empty.
        TestLog("TaskbarCreated");
        if (tray_up_ || tray_icon_.cbSize != 0) {
          tray_up_ = false;
          AddTrayIconOrRetry();
        }
        return 0;
      }
      break;
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

void MainWindow::Unload() {
  if (unloaded_) return;
  unloaded_ = true;
  form_.Form_Unload();
  TestLog("unloaded");
}

void MainWindow::OnMouseDown(int button, LPARAM lparam) {
  // The x coordinate as the form reports it: pixels times twips per pixel.
  const int twips_per_pixel = TwipsPerPixel(dpi_);
  const double x_twips = static_cast<double>(LOWORD(lparam)) * twips_per_pixel;
  form_.Form_MouseDown(button, x_twips, twips_per_pixel);
}

void MainWindow::OnCommand(int id) {
  switch (id) {
    case IDC_CMDHIDE:
      form_.cmdHide_Click();
      break;
    case IDC_CMDSTARTUP:
      RegisterStartupShortcut(hwnd_);
      break;
    case IDM_FILE_OPT:  // mnuFileOpt_Click
    case IDM_POP_OPT:   // mnuPopOpt_Click
      mnuOpt_Click();
      break;
    case IDM_HELP_ABOUT:  // mnuHelpAbout_Click
    case IDM_POP_ABOUT:   // mnuPopAbout_Click
      mnuAbout_Click();
      break;
    case IDM_HELP_INDEX:  // mnuHelpIndex_Click
    case IDM_POP_HELP:    // mnuPopHelp_Click runs mnuHelpIndex_Click
      mnuHelpIndex_Click();
      break;
    case IDM_FILE_EXIT:  // mnuFileExit_Click
    case IDM_POP_EXIT:   // mnuPopExit_Click
      mnuExit_Click();
      break;
    default:
      break;
  }
}

void MainWindow::mnuOpt_Click() {
  DialogContext context;
  context.instance = instance_;
  context.owner = hwnd_;
  context.values = &values_;
  context.store = &store_;
  context.set_timer_interval = [this](std::int32_t milliseconds) { SetTimerInterval(milliseconds); };
  ShowOptionsDialog(context);
}

void MainWindow::mnuAbout_Click() { ShowAboutDialog(instance_, hwnd_); }

void MainWindow::mnuHelpIndex_Click() {
  // Recording mode: whatever fails in preparing or making the call is
  // reported with its description afterwards.
  Text error;
  const std::string help_file = Ansi(services_.ProgramFolder() + Text(kHelpFileSuffix));
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  FARPROC entry = user32 != nullptr ? GetProcAddress(user32, "WinHelpA") : nullptr;
  if (entry == nullptr) {
    error = u"DLL エントリ ポイント WinHelpA が user32 に見つかりません。";
  } else {
    auto win_help = reinterpret_cast<WinHelpFunction>(reinterpret_cast<void (*)()>(entry));
    TestLog("WinHelpA " + help_file);
    win_help(hwnd_, help_file.c_str(), kHelpFinder, 0);
  }
  if (!error.empty()) ShowMessage(error);
}

void MainWindow::mnuExit_Click() {
  // Unload the main window: the same path as the close box.
  if (hwnd_ != nullptr) SendMessageW(hwnd_, WM_CLOSE, 0, 0);
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
  constexpr char kTip[] = "TavikFM";
  std::memcpy(tray_icon_.szTip, kTip, sizeof(kTip));
  AddTrayIconOrRetry();
}

void MainWindow::AddTrayIconOrRetry() {
  if (unloaded_ || hwnd_ == nullptr) return;
  // An icon the shell already holds (a second TaskbarCreated, say) only
  // needs to be brought up to date.
  if (TrayCall(NIM_ADD) || TrayCall(NIM_MODIFY)) {
    tray_up_ = true;
    KillTimer(hwnd_, kTrayRetryTimer);
    return;
  }
  // The shell is not ready yet (a start at logon): try again shortly.
  SetTimer(hwnd_, kTrayRetryTimer, kTrayRetryMilliseconds, nullptr);
}

void MainWindow::RemoveTrayIcon() {
  if (hwnd_ != nullptr) KillTimer(hwnd_, kTrayRetryTimer);
  if (tray_icon_.cbSize == 0) return;
  TrayCall(NIM_DELETE);
  tray_up_ = false;
}

bool MainWindow::TrayCall(DWORD action) {
  BOOL done = FALSE;
  if (action == NIM_ADD && SimulatedShellNotReady()) {
    TestLog("tray NIM_ADD simulated shell not ready");
    return false;
  }
  done = Shell_NotifyIconA(action, &tray_icon_);
  if (TestLogEnabled()) {
    TestLog(std::string("tray ") + TrayActionName(action) + (done ? " ok" : " failed") +
            " cbSize=" + std::to_string(tray_icon_.cbSize) + " uID=" +
            std::to_string(tray_icon_.uID) + " uFlags=" + std::to_string(tray_icon_.uFlags) +
            " uCallbackMessage=" + std::to_string(tray_icon_.uCallbackMessage) + " tip=" +
            std::string(tray_icon_.szTip) +
            (TipFieldAsAgreed(tray_icon_.szTip) ? " tipfield=ok" : " tipfield=bad"));
  }
  return done != FALSE;
}

void MainWindow::SetVisible(bool visible) {
  if (hwnd_ == nullptr) return;
  ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
  TestLog(visible ? "show" : "hide");
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
  TestLog("timer " + std::to_string(milliseconds));
}

void MainWindow::ShowMessage(const Text& text) {
  const std::wstring wide = Wide(text);
  const std::wstring caption = Wide(kMessageCaption);
  TestLog("message " + ToUtf8(text));
  MessageBoxW(hwnd_, wide.c_str(), caption.c_str(), MB_OK);
}

void MainWindow::OpenDocument(const Text& path, const Text& working_folder) {
  const std::string file = Ansi(path);
  const std::string folder = Ansi(working_folder);
  TestLog("open " + ToUtf8(path));
  ShellExecuteA(hwnd_, "open", file.c_str(), nullptr, folder.c_str(), SW_SHOWNORMAL);
}

void MainWindow::Beep() {
  MessageBeep(MB_OK);
  TestLog("beep");
}

void MainWindow::ShowPopupMenu() {
  HMENU popup = GetSubMenu(tray_menu_, 0);
  if (popup == nullptr || hwnd_ == nullptr) return;
  POINT at{};
  GetCursorPos(&at);
  // The popup closes when the user clicks elsewhere only if the window is
  // in the foreground.
  SetForegroundWindow(hwnd_);
  TestLog("popup " + MenuItemsForLog(popup));
  TrackPopupMenu(popup, TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  TestLog("popup closed");
}

}  // namespace tavik
