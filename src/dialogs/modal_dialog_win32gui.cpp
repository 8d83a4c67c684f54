#include "dialogs/modal_dialog_win32gui.h"

#include <algorithm>

#include "common/wide_text_win32.h"

namespace tavik {
namespace {

constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
constexpr DWORD kFrameExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;

// Centred on the owner when it shows, otherwise on the work area.
RECT CentringArea(HWND owner) {
  RECT area{};
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner) && GetWindowRect(owner, &area)) return area;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return area;
}

// The owner disabled while the dialog runs; however the run ends, the owner
// is enabled again (when it was enabled before) and then the dialog goes,
// in that order, so that the activation goes back to the owner.
class ModalScope {
 public:
  ModalScope(HWND owner, HWND& dialog)
      : owner_(owner), dialog_(dialog), owner_was_enabled_(owner != nullptr && IsWindowEnabled(owner)) {
    if (owner_was_enabled_) EnableWindow(owner_, FALSE);
  }
  ~ModalScope() {
    if (owner_was_enabled_ && IsWindow(owner_)) EnableWindow(owner_, TRUE);
    if (IsWindow(dialog_)) DestroyWindow(dialog_);
    dialog_ = nullptr;
  }
  ModalScope(const ModalScope&) = delete;
  ModalScope& operator=(const ModalScope&) = delete;

 private:
  HWND owner_;
  HWND& dialog_;
  bool owner_was_enabled_;
};

}  // namespace

ModalDialog::ModalDialog(const wchar_t* window_class, TextView caption, int client_width, int client_height)
    : window_class_(window_class), caption_(caption), client_width_(client_width), client_height_(client_height) {}

ModalDialog::~ModalDialog() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
}

HWND ModalDialog::AddControl(const wchar_t* window_class, TextView text, DWORD style, DWORD ex_style, int id,
                             const TwipsRect& place) {
  return CreateChild(window_, window_class, Text(text), style, ex_style, id, place, scale_, font_.get());
}

void ModalDialog::Run(HWND owner) {
  RegisterProgramClass(window_class_, &ObjectWindowProc<ModalDialog>);
  font_ = CreateProgramFont(scale_);
  RECT frame{0, 0, scale_.X(client_width_), scale_.Y(client_height_)};
  AdjustWindowRectEx(&frame, kFrameStyle, FALSE, kFrameExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const RECT area = CentringArea(owner);
  const int left = std::max(0L, area.left + (area.right - area.left - width) / 2);
  const int top = std::max(0L, area.top + (area.bottom - area.top - height) / 2);
  // No taskbar entry: the dialog is owned.
  window_ = CreateWindowExW(kFrameExStyle, window_class_, WideCStr(caption_), kFrameStyle, left, top, width, height,
                            owner, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr) return;
  MSG message{};
  bool quit = false;
  {
    const ModalScope modal(owner, window_);
    // A fixed dialog: its window menu offers moving and closing only.
    if (HMENU system_menu = GetSystemMenu(window_, FALSE)) {
      for (const UINT command : {UINT{SC_RESTORE}, UINT{SC_SIZE}, UINT{SC_MINIMIZE}, UINT{SC_MAXIMIZE}}) {
        DeleteMenu(system_menu, command, MF_BYCOMMAND);
      }
    }
    // The program's icon, as the owner carries it.
    if (owner != nullptr) {
      auto icon = reinterpret_cast<HICON>(GetClassLongPtrW(owner, GCLP_HICON));
      if (icon == nullptr) icon = reinterpret_cast<HICON>(SendMessageW(owner, WM_GETICON, ICON_BIG, 0));
      if (icon != nullptr) SendMessageW(window_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    }
    OnCreate();
    ShowWindow(window_, SW_SHOW);
    UpdateWindow(window_);
    while (!closed_ && IsWindow(window_)) {
      const BOOL got = GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {
        quit = true;
        break;
      }
      if (got == -1) break;
      if (!IsDialogMessageW(window_, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));
}

LRESULT ModalDialog::OnWindowMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  LRESULT result = 0;
  switch (message) {
    case WM_NCCREATE: window_ = hwnd; return DefWindowProcW(hwnd, message, wparam, lparam);
    case WM_COMMAND:
      // IDOK and IDCANCEL without a control: Enter and Escape through the
      // dialog manager.
      if (lparam == 0 && (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL)) {
        OnDialogKey(LOWORD(wparam));
      } else if (lparam != 0) {
        OnCommand(LOWORD(wparam), HIWORD(wparam));
      }
      return 0;
    case WM_CLOSE:  // the close box
      Close();
      return 0;
    case WM_ACTIVATE: {
      // The focus leaves with the activation and comes back with it.
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) saved_focus_ = focus;
      } else {
        HWND target = saved_focus_ != nullptr && IsWindow(saved_focus_) ? saved_focus_
                                                                        : GetNextDlgTabItem(window_, nullptr, FALSE);
        if (target != nullptr) SetFocus(target);
      }
      return 0;
    }
    default:
      if (OnOtherMessage(message, wparam, lparam, result)) return result;
      return DefWindowProcW(hwnd, message, wparam, lparam);
  }
}

void ModalDialog::OnDialogKey(int id) {
  if (id != IDOK) return;
  HWND focus = GetFocus();
  if (focus == nullptr || GetParent(focus) != window_) return;
  wchar_t window_class[16] = {};
  GetClassNameW(focus, window_class, 16);
  if (lstrcmpiW(window_class, L"Button") == 0) OnCommand(GetDlgCtrlID(focus), BN_CLICKED);
}

bool ModalDialog::OnOtherMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

}  // namespace tavik
