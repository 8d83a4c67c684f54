// frmOption2: the settings dialog. The tick interval is the only value it
// stores; the three folder rows are filled by the folder picker.
#include "dialogs/options_dialog_win32gui.h"

#include "dialogs/dialogs_win32gui.h"
#include "dialogs/options_rules.h"
#include "dialogs/options_window_win32gui.h"
#include "dialogs/picker_dialog_win32gui.h"

namespace tavik {

namespace {

namespace dw = dialog_window;

// Client area in twips.
constexpr int kClientWidth = 4500;
constexpr int kClientHeight = 4116;

constexpr DWORD kLockedBox = ES_AUTOHSCROLL | ES_READONLY | WS_TABSTOP;
constexpr DWORD kEditableBox = ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;

struct ControlLayout {
  int id;
  const wchar_t* window_class;
  const char16_t* caption;
  DWORD style;
  DWORD ex_style;
  dw::TwipsRect place;
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

// A store that keeps nothing, for a caller that gave none.
class NoStore final : public SettingsStore {
 public:
  Text ReadSetting(TextView, TextView, TextView, TextView default_value) override { return Text(default_value); }
  bool WriteSetting(TextView, TextView, TextView, TextView) override { return false; }
};

// The dialog now open, if any: the menus can be reached from the tray while
// it is up, and a second opening only brings the first one forward.
HWND g_open_dialog = nullptr;

class OptionsDialog {
 public:
  OptionsDialog(const DialogContext& context, HINSTANCE instance) : context_(context), instance_(instance) {}
  OptionsDialog(const OptionsDialog&) = delete;
  OptionsDialog& operator=(const OptionsDialog&) = delete;
  ~OptionsDialog() {
    if (font_ != nullptr) DeleteObject(font_);
  }

  void Run() {
    window_ = dw::CreateDialogFrame(instance_, kOptionsWindowClass, Text(kOptionsCaption), kClientWidth,
                                    kClientHeight, context_.owner, this);
    if (window_ == nullptr) return;
    const dw::Twips twips;
    font_ = dw::CreateDialogFont(twips);
    for (const ControlLayout& c : kLayout) {
      dw::CreateControl(window_, c.window_class, Text(c.caption), c.style, c.ex_style, c.id, c.place, twips, font_);
    }
    // The interval box takes digits only in practice: no input method.
    dw::DisableInputMethod(Control(kIdTxtFolda));
    dw::DisableInputMethod(Control(kIdTxtKosinTime));
    Form_Load();
    g_open_dialog = window_;
    dw::RunModal(window_, context_.owner, closed_);
    g_open_dialog = nullptr;
    window_ = nullptr;
  }

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* dialog = reinterpret_cast<OptionsDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (dialog != nullptr) {
      LRESULT result = 0;
      if (dialog->Handle(hwnd, message, wparam, lparam, result)) return result;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }

 private:
  HWND Control(int id) const { return GetDlgItem(window_, id); }

  bool Handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    switch (message) {
      case WM_COMMAND: {
        const int id = LOWORD(wparam);
        if (id == IDOK || id == IDCANCEL) {
          // Enter or Escape through the dialog manager: neither OK nor
          // キャンセル is the default or cancel button, so only a focused
          // button is pressed by Enter.
          if (HWND button = dw::ButtonForEnterKey(hwnd, wparam)) Click(GetDlgCtrlID(button));
          return true;
        }
        if (HIWORD(wparam) == BN_CLICKED && lparam != 0) Click(id);
        return true;
      }
      case WM_CLOSE:  // the close box acts like キャンセル
        cmdCancel_Click();
        return true;
      case WM_ACTIVATE:
        dw::KeepFocusOnActivate(hwnd, wparam, saved_focus_, GetDlgItem(hwnd, kIdTxtFolda));
        return true;
      case WM_CTLCOLORSTATIC: {
        const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
        if (id == kIdTxtFolda || id == kIdTxtBackupFolda || id == kIdTxtTavikDB) {
          result = dw::LockedBoxColours(reinterpret_cast<HDC>(wparam));
          return true;
        }
        return false;
      }
      default:
        return false;
    }
  }

  void Click(int id) {
    switch (id) {
      case kIdCmdFolda: Browse(OptionsBrowseButton::cmdFolda); break;
      case kIdCmdBackupFolda: Browse(OptionsBrowseButton::cmdBackupFolda); break;
      case kIdCmdTavikDB: Browse(OptionsBrowseButton::cmdTavikDB); break;
      case kIdOptionsCmdOK: cmdOK_Click(); break;
      case kIdOptionsCmdCancel: cmdCancel_Click(); break;
      default: break;
    }
  }

  void Form_Load() {
    const OptionsLoadTexts texts = OptionsTextsAtLoad(*context_.values);
    dw::SetControlText(Control(kIdTxtFolda), texts.txtFolda);
    dw::SetControlText(Control(kIdTxtBackupFolda), texts.txtBackupFolda);
    dw::SetControlText(Control(kIdTxtTavikDB), texts.txtTavikDB);
    dw::SetControlText(Control(kIdTxtKosinTime), texts.txtKosinTime);
  }

  // cmdFolda_Click, cmdBackupFolda_Click, cmdTavikDB_Click.
  void Browse(OptionsBrowseButton button) {
    context_.values->PickerTarget = PickerTargetFor(button);
    ShowFolderPicker(instance_, window_, *context_.values, [this](OptionsFolderBox box, const Text& text) {
      dw::SetControlText(Control(BoxId(box)), text);
    });
  }

  static int BoxId(OptionsFolderBox box) {
    switch (box) {
      case OptionsFolderBox::txtFolda: return kIdTxtFolda;
      case OptionsFolderBox::txtBackupFolda: return kIdTxtBackupFolda;
      case OptionsFolderBox::txtTavikDB: return kIdTxtTavikDB;
    }
    return 0;
  }

  void cmdOK_Click() {
    NoStore no_store;
    SettingsStore& store = context_.store != nullptr ? *context_.store : no_store;
    const Text text = dw::WindowText(Control(kIdTxtKosinTime));
    if (!ApplyOptionsOk(text, *context_.values, store, context_.set_timer_interval)) {
      dw::ShowProgramMessage(window_, Text(kNotANumberMessage));
      return;
    }
    closed_ = true;
  }

  void cmdCancel_Click() { closed_ = true; }

  const DialogContext& context_;
  HINSTANCE instance_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HWND saved_focus_ = nullptr;
  bool closed_ = false;
};

}  // namespace

void ShowOptionsDialog(const DialogContext& context) {
  if (context.values == nullptr) return;
  if (g_open_dialog != nullptr && IsWindow(g_open_dialog)) {
    SetForegroundWindow(GetLastActivePopup(g_open_dialog));
    return;
  }
  HINSTANCE instance = context.instance != nullptr ? context.instance : GetModuleHandleW(nullptr);
  dialog_window::RegisterDialogClass(instance, kOptionsWindowClass, &OptionsDialog::Procedure);
  OptionsDialog dialog(context, instance);
  dialog.Run();
}

}  // namespace tavik
