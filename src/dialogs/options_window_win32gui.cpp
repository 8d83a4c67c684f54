#include "dialogs/options_window_win32gui.h"

#include <imm.h>

#include <vector>

#include "settings/settings_store.h"

namespace tavik::dialog_window {

Text WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return Text();
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int got = GetWindowTextW(window, buffer.data(), length + 1);
  return Text(reinterpret_cast<const char16_t*>(buffer.data()), static_cast<std::size_t>(got > 0 ? got : 0));
}

void SetControlText(HWND window, const Text& text) { SetWindowTextW(window, W(text)); }

Text ExecutableFolderPath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD got = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (got == 0) return Text();
    if (got < buffer.size()) {
      Text path(reinterpret_cast<const char16_t*>(buffer.data()), got);
      const std::size_t slash = path.find_last_of(u"\\/");
      return slash == Text::npos ? Text() : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}

Twips::Twips() {
  HDC screen = GetDC(nullptr);
  if (screen != nullptr) {
    dpi_x_ = GetDeviceCaps(screen, LOGPIXELSX);
    dpi_y_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  if (dpi_x_ <= 0) dpi_x_ = 96;
  if (dpi_y_ <= 0) dpi_y_ = 96;
}

HFONT CreateDialogFont(const Twips& twips) {
  LOGFONTW font{};
  font.lfHeight = -MulDiv(9, twips.dpi_y(), 72);
  font.lfWeight = FW_NORMAL;
  font.lfCharSet = SHIFTJIS_CHARSET;
  font.lfOutPrecision = OUT_DEFAULT_PRECIS;
  font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  font.lfQuality = DEFAULT_QUALITY;
  font.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
  lstrcpynW(font.lfFaceName, L"ＭＳ Ｐゴシック", LF_FACESIZE);
  HFONT created = CreateFontIndirectW(&font);
  return created != nullptr ? created : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

void RegisterDialogClass(HINSTANCE instance, const wchar_t* class_name, WNDPROC procedure) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  if (GetClassInfoExW(instance, class_name, &existing)) return;
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = instance;
  window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = class_name;
  RegisterClassExW(&window_class);
}

namespace {

constexpr DWORD kFrameStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPSIBLINGS;
constexpr DWORD kFrameExStyle = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CONTROLPARENT;

RECT CentringArea(HWND owner) {
  RECT area{};
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner) && GetWindowRect(owner, &area)) return area;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0)) {
    area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return area;
}

}  // namespace

HWND CreateDialogFrame(HINSTANCE instance, const wchar_t* class_name, const Text& caption, int client_width_twips,
                       int client_height_twips, HWND owner, void* param) {
  const Twips twips;
  RECT frame{0, 0, twips.X(client_width_twips), twips.Y(client_height_twips)};
  AdjustWindowRectEx(&frame, kFrameStyle, FALSE, kFrameExStyle);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const RECT area = CentringArea(owner);
  int left = area.left + (area.right - area.left - width) / 2;
  int top = area.top + (area.bottom - area.top - height) / 2;
  if (left < 0) left = 0;
  if (top < 0) top = 0;
  HWND window = CreateWindowExW(kFrameExStyle, class_name, W(caption), kFrameStyle, left, top, width, height, owner,
                                nullptr, instance, param);
  if (window == nullptr) return nullptr;
  // A fixed dialog: its window menu offers moving and closing only.
  HMENU system_menu = GetSystemMenu(window, FALSE);
  if (system_menu != nullptr) {
    for (const UINT command : {UINT{SC_RESTORE}, UINT{SC_SIZE}, UINT{SC_MINIMIZE}, UINT{SC_MAXIMIZE}}) {
      DeleteMenu(system_menu, command, MF_BYCOMMAND);
    }
  }
  // The program's icon, as the owner carries it.
  if (owner != nullptr) {
    auto icon = reinterpret_cast<HICON>(SendMessageW(owner, WM_GETICON, ICON_BIG, 0));
    if (icon == nullptr) icon = reinterpret_cast<HICON>(GetClassLongPtrW(owner, GCLP_HICON));
    if (icon != nullptr) SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  }
  return window;
}

HWND CreateControl(HWND parent, const wchar_t* class_name, const Text& text, DWORD style, DWORD ex_style, int id,
                   const TwipsRect& place, const Twips& twips, HFONT font) {
  HWND control = CreateWindowExW(ex_style, class_name, W(text), WS_CHILD | WS_VISIBLE | style, twips.X(place.left),
                                 twips.Y(place.top), twips.X(place.width), twips.Y(place.height), parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)), nullptr);
  if (control != nullptr && font != nullptr) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void DisableInputMethod(HWND edit) {
  // imm32 is looked up where it is needed, so that the program carries no
  // link-time tie to the input method library.
  HMODULE imm = GetModuleHandleW(L"imm32.dll");
  if (imm == nullptr) imm = LoadLibraryW(L"imm32.dll");
  if (imm == nullptr) return;
  FARPROC found = GetProcAddress(imm, "ImmAssociateContext");
  if (found == nullptr) return;
  using AssociateContext = HIMC(WINAPI*)(HWND, HIMC);
  const auto associate = reinterpret_cast<AssociateContext>(reinterpret_cast<void (*)()>(found));
  associate(edit, nullptr);
}

void RunModal(HWND window, HWND owner, const bool& closed) {
  const bool owner_was_enabled = owner != nullptr && IsWindowEnabled(owner);
  if (owner_was_enabled) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG message{};
  bool quit = false;
  while (!closed && IsWindow(window)) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      quit = true;
      break;
    }
    if (got == -1) break;
    if (!IsDialogMessageW(window, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  // The owner first, so that the activation goes back to it.
  if (owner_was_enabled && IsWindow(owner)) EnableWindow(owner, TRUE);
  if (IsWindow(window)) DestroyWindow(window);
  if (quit) PostQuitMessage(static_cast<int>(message.wParam));
}

HWND ButtonForEnterKey(HWND dialog, WPARAM wparam) {
  if (LOWORD(wparam) != IDOK) return nullptr;
  HWND focus = GetFocus();
  if (focus == nullptr || GetParent(focus) != dialog) return nullptr;
  wchar_t class_name[16] = {};
  GetClassNameW(focus, class_name, 16);
  if (lstrcmpiW(class_name, L"Button") != 0) return nullptr;
  return focus;
}

void KeepFocusOnActivate(HWND dialog, WPARAM wparam, HWND& saved_focus, HWND first_control) {
  if (LOWORD(wparam) == WA_INACTIVE) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(dialog, focus)) saved_focus = focus;
    return;
  }
  HWND target = (saved_focus != nullptr && IsWindow(saved_focus)) ? saved_focus : first_control;
  if (target != nullptr) SetFocus(target);
}

LRESULT LockedBoxColours(HDC dc) {
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkColor(dc, GetSysColor(COLOR_WINDOW));
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
}

void ShowProgramMessage(HWND owner, const Text& text) {
  MessageBoxW(owner, W(text), W(Text(kProgramTitle)), MB_OK);
}

}  // namespace tavik::dialog_window
