// The version dialog, modal, owned by the main window, whose icon it shows.
#include <windows.h>

#include <vector>

#include "common/program_texts.h"
#include "common/wide_text_win32.h"
#include "common/window_win32gui.h"
#include "dialogs/about_box.h"
#include "dialogs/dialogs_win32gui.h"
#include "dialogs/modal_dialog_win32gui.h"

namespace tavik {
namespace {

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr int kTitleTenthPoints = 108;  // 10.8 point

// The etched separator in twips: grey from x 96 to 5160 at y 2168, below it
// white, 2 pixels wide, from x 108 at y 2198.
constexpr int kGreyLineLeft = 96;
constexpr int kGreyLineY = 2168;
constexpr int kWhiteLineLeft = 108;
constexpr int kWhiteLineY = 2198;
constexpr int kLineRight = 5160;

// major.minor.revision of the running executable's own file version.
ProgramVersion OwnVersion() {
  ProgramVersion version;
  const Text path = ExecutablePath();
  if (path.empty()) return version;
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(WideCStr(path), &handle);
  if (size == 0) return version;
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(WideCStr(path), 0, size, data.data())) return version;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT info_size = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &info_size) || info == nullptr ||
      info_size < sizeof(VS_FIXEDFILEINFO)) {
    return version;
  }
  version.major = HIWORD(info->dwFileVersionMS);
  version.minor = LOWORD(info->dwFileVersionMS);
  version.revision = HIWORD(info->dwFileVersionLS);
  return version;
}

class AboutDialog final : public ModalDialog {
 public:
  AboutDialog() : ModalDialog(kAboutWindowClass, AboutCaption(kProgramTitle), 5256, 3264) {}

 private:
  void OnCreate() override {
    title_font_ = CreateProgramFont(scale(), kTitleTenthPoints);
    // In tab order (docs/contracts.md): OK, the icon, the description, the title, the version.
    AddControl(L"BUTTON", kOkCaption, WS_TABSTOP | BS_DEFPUSHBUTTON, 0, kIdAboutOk, {3840, 2400, 1310, 345});
    HWND icon = AddControl(L"STATIC", u"", SS_ICON, 0, kIdAboutIcon, {240, 240, 432, 432});
    // The program's icon, which the dialog took from its owner.
    SendMessageW(icon, STM_SETICON, static_cast<WPARAM>(SendMessageW(window(), WM_GETICON, ICON_BIG, 0)), 0);
    AddControl(L"STATIC", kAboutDescription, kLabel, 0, kIdAboutDescription, {1080, 1440, 3276, 444});
    HWND title = AddControl(L"STATIC", kProgramTitle, kLabel, 0, kIdAboutTitle, {1056, 240, 3756, 480});
    SendMessageW(title, WM_SETFONT, reinterpret_cast<WPARAM>(title_font_.get()), FALSE);
    AddControl(L"STATIC", AboutVersionLine(OwnVersion()), kLabel, 0, kIdAboutVersion, {1080, 960, 3732, 228});
  }

  void OnCommand(int id, int code) override {
    if (id == kIdAboutOk && code == BN_CLICKED) Close();
  }

  // OK is both the default and the cancel button.
  void OnDialogKey(int) override { Close(); }

  bool OnOtherMessage(UINT message, WPARAM, LPARAM, LRESULT&) override {
    if (message != WM_PAINT) return false;
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window(), &paint);
    const PenHandle grey(CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW)));
    const PenHandle white(CreatePen(PS_SOLID, 2, GetSysColor(COLOR_BTNHIGHLIGHT)));
    HGDIOBJ old = SelectObject(dc, grey.get());
    MoveToEx(dc, scale().X(kGreyLineLeft), scale().Y(kGreyLineY), nullptr);
    LineTo(dc, scale().X(kLineRight), scale().Y(kGreyLineY));
    SelectObject(dc, white.get());
    MoveToEx(dc, scale().X(kWhiteLineLeft), scale().Y(kWhiteLineY), nullptr);
    LineTo(dc, scale().X(kLineRight), scale().Y(kWhiteLineY));
    SelectObject(dc, old);  // the pens are deleted once they are no longer selected
    EndPaint(window(), &paint);
    return true;
  }

  FontHandle title_font_;
};

}  // namespace

void ShowAboutDialog(HWND owner) {
  AboutDialog dialog;
  dialog.Run(owner);
}

}  // namespace tavik
