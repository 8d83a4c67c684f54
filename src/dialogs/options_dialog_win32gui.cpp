// frmOption2: the settings dialog. The tick interval is the only value it
// stores; the three folder rows are filled by the folder picker.
#include <windows.h>

#include <imm.h>

#include "common/wide_text_win32.h"
#include "common/window_win32gui.h"
#include "dialogs/dialogs_win32gui.h"
#include "dialogs/modal_dialog_win32gui.h"
#include "dialogs/options_rules.h"
#include "dialogs/picker_dialog_win32gui.h"

namespace tavik {
namespace {

constexpr DWORD kLockedBox = ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP;
constexpr DWORD kEditableBox = ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;

struct ControlLayout {
  int id;
  const wchar_t* window_class;
  TextView caption;
  DWORD style;
  DWORD ex_style;
  TwipsRect place;
};

// In tab order: children take the focus in the order they are created.
const ControlLayout kLayout[] = {
    {kIdTxtFolda, L"EDIT", u"", kLockedBox, WS_EX_CLIENTEDGE, {120, 600, 3372, 264}},
    {kIdCmdFolda, L"BUTTON", u"...", kButton, 0, {3720, 600, 372, 252}},
    {kIdOptionsCmdOK, L"BUTTON", u"OK", kButton, 0, {360, 3480, 1092, 372}},
    {kIdOptionsCmdCancel, L"BUTTON", u"キャンセル", kButton, 0, {2160, 3480, 1092, 372}},
    {kIdLabel1, L"STATIC", u"データ交信フォルダ", kLabel, 0, {240, 360, 2895, 255}},
    {kIdLabel2, L"STATIC", u"データ交信の間隔", kLabel, 0, {360, 2790, 1815, 255}},
    {kIdTxtKosinTime, L"EDIT", u"", kEditableBox, WS_EX_CLIENTEDGE, {2280, 2760, 732, 264}},
    {kIdLabel3, L"STATIC", u"ミリ秒ごと", kLabel, 0, {3120, 2790, 855, 255}},
    {kIdLabel4, L"STATIC", u"データのバックアップフォルダ", kLabel, 0, {120, 1200, 3135, 255}},
    {kIdTxtBackupFolda, L"EDIT", u"", kLockedBox, WS_EX_CLIENTEDGE, {120, 1440, 3372, 264}},
    {kIdCmdBackupFolda, L"BUTTON", u"...", kButton, 0, {3720, 1440, 372, 252}},
    {kIdLabel6, L"STATIC", u"FileMakerデータベースのフォルダ", kLabel, 0, {120, 1920, 3615, 255}},
    {kIdTxtTavikDB, L"EDIT", u"", kLockedBox, WS_EX_CLIENTEDGE, {120, 2160, 3372, 264}},
    {kIdCmdTavikDB, L"BUTTON", u"...", kButton, 0, {3720, 2160, 372, 252}},
};

int BoxId(OptionsFolderBox box) {
  switch (box) {
    case OptionsFolderBox::txtFolda: return kIdTxtFolda;
    case OptionsFolderBox::txtBackupFolda: return kIdTxtBackupFolda;
    case OptionsFolderBox::txtTavikDB: return kIdTxtTavikDB;
  }
  return 0;
}

// The input method off for a text box for good.
void DisableInputMethod(HWND edit) { ImmAssociateContext(edit, nullptr); }

class OptionsDialog final : public ModalDialog {
 public:
  explicit OptionsDialog(DialogContext& context)
      : ModalDialog(kOptionsWindowClass, kOptionsCaption, 4500, 4116), context_(context) {}

 private:
  void OnCreate() override {
    for (const ControlLayout& c : kLayout) AddControl(c.window_class, c.caption, c.style, c.ex_style, c.id, c.place);
    // txtFolda and the interval box take no input method.
    DisableInputMethod(Control(kIdTxtFolda));
    DisableInputMethod(Control(kIdTxtKosinTime));
    Form_Load();
  }

  void OnCommand(int id, int code) override {
    if (code != BN_CLICKED) return;
    switch (id) {
      case kIdCmdFolda: Browse(OptionsBrowseButton::cmdFolda); break;
      case kIdCmdBackupFolda: Browse(OptionsBrowseButton::cmdBackupFolda); break;
      case kIdCmdTavikDB: Browse(OptionsBrowseButton::cmdTavikDB); break;
      case kIdOptionsCmdOK: cmdOK_Click(); break;
      case kIdOptionsCmdCancel: Close(); break;
      default: break;
    }
  }

  bool OnMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    if (message != WM_CTLCOLORSTATIC) return false;
    // The locked boxes in the colours of an editable one.
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
    if (id != kIdTxtFolda && id != kIdTxtBackupFolda && id != kIdTxtTavikDB) return false;
    const auto dc = reinterpret_cast<HDC>(wparam);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    return true;
  }

  void SetBoxText(int id, const Text& text) { SetWindowTextW(Control(id), WideCStr(text)); }

  void Form_Load() {
    const OptionsLoadTexts texts = OptionsTextsAtLoad(context_.values);
    SetBoxText(kIdTxtFolda, texts.txtFolda);
    SetBoxText(kIdTxtBackupFolda, texts.txtBackupFolda);
    SetBoxText(kIdTxtTavikDB, texts.txtTavikDB);
    SetBoxText(kIdTxtKosinTime, texts.txtKosinTime);
  }

  // cmdFolda_Click, cmdBackupFolda_Click, cmdTavikDB_Click.
  void Browse(OptionsBrowseButton button) {
    context_.values.PickerTarget = PickerTargetFor(button);
    ShowFolderPicker(window(), context_.values, context_.program_folder,
                     [this](OptionsFolderBox box, const Text& text) { SetBoxText(BoxId(box), text); });
  }

  void cmdOK_Click() {
    if (!ApplyOptionsOk(WindowText(Control(kIdTxtKosinTime)), context_.values, context_.store,
                        context_.set_timer_interval)) {
      ShowProgramMessage(window(), Text(kNotANumberMessage));
      return;
    }
    Close();
  }

  DialogContext& context_;
};

}  // namespace

void ShowOptionsDialog(HWND owner, DialogContext& context) {
  OptionsDialog dialog(context);
  dialog.Run(owner);
}

}  // namespace tavik
