// frmAbout: the version dialog, modal, owned by the main window.
#include <windows.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "app/resource.h"
#include "app/tray_decoding.h"
#include "app/ui_win32gui.h"
#include "dialogs/about_box.h"
#include "dialogs/dialogs_win32gui.h"
#include "settings/settings_store.h"

namespace tavik {
namespace {

constexpr DWORD kAboutStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
constexpr DWORD kAboutExStyle = WS_EX_DLGMODALFRAME;

// The version numbers of the running executable's own version resource:
// major.minor.revision of its file version.
ProgramVersion OwnVersion() {
  ProgramVersion version;
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return version;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path, &handle);
  if (size == 0) return version;
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data())) return version;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT info_size = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &info_size) ||
      info == nullptr || info_size < sizeof(VS_FIXEDFILEINFO)) {
    return version;
  }
  version.major = HIWORD(info->dwFileVersionMS);
  version.minor = LOWORD(info->dwFileVersionMS);
  version.revision = HIWORD(info->dwFileVersionLS);
  return version;
}

struct AboutState {
  HINSTANCE instance = nullptr;
  int dpi = 96;
  HFONT font = nullptr;
  HFONT title_font = nullptr;
};

int Px(const AboutState& state, int twips) { return TwipsToPixels(twips, state.dpi); }

HWND MakeControl(HWND dialog, const AboutState& state, const wchar_t* window_class,
                 const std::wstring& text, DWORD style, const TwipsRect& box, int id, HFONT font) {
  HWND control = CreateWindowExW(0, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style,
                                 Px(state, box.left), Px(state, box.top), Px(state, box.width),
                                 Px(state, box.height), dialog,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), state.instance,
                                 nullptr);
  if (control != nullptr && font != nullptr) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  return control;
}

void OnInitDialog(HWND dialog, AboutState& state) {
  state.dpi = ScreenDpi();
  state.font = CreateUiFont(state.dpi);
  state.title_font = CreateUiFont(state.dpi, kAboutTitleTenthPoints,
                                  L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF");
  const SIZE size = WindowSizeForClient(kAboutStyle, kAboutExStyle, false,
                                        Px(state, kAboutClientWidth), Px(state, kAboutClientHeight));
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - size.cx) / 2,
               work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy,
               SWP_NOZORDER);

  // In tab order: cmdOK, lblDescription, picIcon, lblTitle, lblVersion.
  HWND ok = MakeControl(dialog, state, L"BUTTON", Wide(kAboutOk),
                        WS_TABSTOP | BS_DEFPUSHBUTTON, kAboutOkRect, IDOK, state.font);
  MakeControl(dialog, state, L"STATIC", Wide(kAboutDescription), SS_LEFT | SS_NOPREFIX,
              kAboutDescriptionRect, IDC_LBLDESCRIPTION, state.font);
  HWND icon = MakeControl(dialog, state, L"STATIC", L"", SS_ICON, kAboutIcon, IDC_PICICON, nullptr);
  HICON program_icon = LoadIconW(state.instance, MAKEINTRESOURCEW(IDI_TAVIKFM));
  SendMessageW(icon, STM_SETICON, reinterpret_cast<WPARAM>(program_icon), 0);
  SendMessageW(dialog, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(program_icon));
  // Design-time texts, replaced at load below.
  HWND title = MakeControl(dialog, state, L"STATIC", L"\uFF71\uFF8C\uFF9F\uFF98\uFF79\uFF70\uFF7C\uFF6E\uFF9D \uFF80\uFF72\uFF84\uFF99",
                           SS_LEFT | SS_NOPREFIX, kAboutTitle, IDC_LBLTITLE, state.title_font);
  HWND version = MakeControl(dialog, state, L"STATIC", L"\uFF8A\uFF9E\uFF70\uFF7C\uFF9E\uFF6E\uFF9D",
                             SS_LEFT | SS_NOPREFIX, kAboutVersion, IDC_LBLVERSION, state.font);

  // Load: caption, version line, title.
  SetWindowTextW(dialog, Wide(AboutCaption(kProgramTitle)).c_str());
  SetWindowTextW(version, Wide(AboutVersionLine(OwnVersion())).c_str());
  SetWindowTextW(title, Wide(kProgramTitle).c_str());
  SetFocus(ok);
  SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
}

void PaintSeparator(HWND dialog, const AboutState& state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  HPEN grey = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  HPEN white = CreatePen(PS_SOLID, 2, GetSysColor(COLOR_BTNHIGHLIGHT));
  HGDIOBJ old = SelectObject(dc, grey);
  MoveToEx(dc, Px(state, kAboutGreyLineLeft), Px(state, kAboutGreyLineY), nullptr);
  LineTo(dc, Px(state, kAboutLineRight), Px(state, kAboutGreyLineY));
  SelectObject(dc, white);
  MoveToEx(dc, Px(state, kAboutWhiteLineLeft), Px(state, kAboutWhiteLineY), nullptr);
  LineTo(dc, Px(state, kAboutLineRight), Px(state, kAboutWhiteLineY));
  SelectObject(dc, old);
  DeleteObject(grey);
  DeleteObject(white);
  EndPaint(dialog, &paint);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<AboutState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      state = reinterpret_cast<AboutState*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      OnInitDialog(dialog, *state);
      return FALSE;  // focus set on cmdOK
    case WM_PAINT:
      if (state == nullptr) return FALSE;
      PaintSeparator(dialog, *state);
      return TRUE;
    case WM_COMMAND:
      // cmdOK is both the default and the cancel button.
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void ShowAboutDialog(HINSTANCE instance, HWND owner) {
  // A dialog template without controls: they are laid out in twips at
  // load. The design-time caption is replaced there too.
  alignas(4) std::array<WORD, 64> buffer{};
  DLGTEMPLATE header{};
  header.style = kAboutStyle;
  header.dwExtendedStyle = kAboutExStyle;
  header.cdit = 0;
  std::memcpy(buffer.data(), &header, sizeof(header));
  std::size_t at = sizeof(header) / sizeof(WORD);
  buffer[at++] = 0;  // no menu
  buffer[at++] = 0;  // the standard dialog class
  for (const wchar_t ch : std::wstring(Wide(kAboutDesignCaption))) buffer[at++] = ch;
  buffer[at++] = 0;

  AboutState state;
  state.instance = instance;
  DialogBoxIndirectParamW(instance, reinterpret_cast<const DLGTEMPLATE*>(buffer.data()), owner,
                          AboutProc, reinterpret_cast<LPARAM>(&state));
  if (state.font != nullptr) DeleteObject(state.font);
  if (state.title_font != nullptr) DeleteObject(state.title_font);
}

}  // namespace tavik
