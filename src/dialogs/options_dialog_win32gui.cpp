// The options dialog (設定). The tick interval is the only value it
// stores; the three folder rows are filled by the folder picker.
#include <windows.h>

#include <imm.h>

#include <algorithm>
#include <iterator>

#include "common/program_texts.h"
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
    {kIdExchangeFolderBox, L"EDIT", u"", kLockedBox, WS_EX_CLIENTEDGE, {120, 600, 3372, 264}},
    {kIdExchangeFolderBrowse, L"BUTTON", kBrowseCaption, kButton, 0, {3720, 600, 372, 252}},
    {kIdOptionsOk, L"BUTTON", kOkCaption, kButton, 0, {360, 3480, 1092, 372}},
    {kIdOptionsCancel, L"BUTTON", kCancelCaption, kButton, 0, {2160, 3480, 1092, 372}},
    {kIdExchangeFolderLabel, L"STATIC", kExchangeFolderLabel, kLabel, 0, {240, 360, 2895, 255}},
    {kIdIntervalLabel, L"STATIC", kIntervalLabel, kLabel, 0, {360, 2790, 1815, 255}},
    {kIdIntervalBox, L"EDIT", u"", kEditableBox, WS_EX_CLIENTEDGE, {2280, 2760, 732, 264}},
    {kIdIntervalUnitLabel, L"STATIC", kIntervalUnitLabel, kLabel, 0, {3120, 2790, 855, 255}},
    {kIdBackupFolderLabel, L"STATIC", kBackupFolderLabel, kLabel, 0, {120, 1200, 3135, 255}},
    {kIdBackupFolderBox, L"EDIT", u"", kLockedBox, WS_EX_CLIENTEDGE, {120, 1440, 3372, 264}},
    {kIdBackupFolderBrowse, L"BUTTON", kBrowseCaption, kButton, 0, {3720, 1440, 372, 252}},
    {kIdDatabaseFolderLabel, L"STATIC", kDatabaseFolderLabel, kLabel, 0, {120, 1920, 3615, 255}},
    {kIdDatabaseFolderBox, L"EDIT", u"", kLockedBox, WS_EX_CLIENTEDGE, {120, 2160, 3372, 264}},
    {kIdDatabaseFolderBrowse, L"BUTTON", kBrowseCaption, kButton, 0, {3720, 2160, 372, 252}},
};

// Each folder row's box and its browse button.
struct FolderRowControls {
  FolderRow row;
  int box;
  int browse;
};
constexpr FolderRowControls kFolderRows[] = {
    {FolderRow::Exchange, kIdExchangeFolderBox, kIdExchangeFolderBrowse},
    {FolderRow::Backup, kIdBackupFolderBox, kIdBackupFolderBrowse},
    {FolderRow::Database, kIdDatabaseFolderBox, kIdDatabaseFolderBrowse},
};

// The input method off for a text box for good (docs/contracts.md).
void DisableInputMethod(HWND edit) { ImmAssociateContext(edit, nullptr); }

class OptionsDialog final : public ModalDialog {
 public:
  explicit OptionsDialog(DialogContext& context)
      : ModalDialog(kOptionsWindowClass, kOptionsCaption, 4500, 4116), context_(context) {}

 private:
  void OnCreate() override {
    for (const ControlLayout& c : kLayout) AddControl(c.window_class, c.caption, c.style, c.ex_style, c.id, c.place);
    // The exchange folder's box and the interval box take no input method.
    DisableInputMethod(Control(kIdExchangeFolderBox));
    DisableInputMethod(Control(kIdIntervalBox));
    const OptionsTexts texts = OptionsTextsAtOpening(context_.values);
    SetBoxText(kIdExchangeFolderBox, texts.exchange_folder);
    SetBoxText(kIdIntervalBox, texts.interval);
  }

  void OnCommand(int id, int code) override {
    if (code != BN_CLICKED) return;
    for (const FolderRowControls& row : kFolderRows) {
      if (id == row.browse) Browse(row);
    }
    if (id == kIdOptionsOk) Ok();
    if (id == kIdOptionsCancel) Close();
  }

  bool OnOtherMessage(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) override {
    if (message != WM_CTLCOLORSTATIC) return false;
    // The locked boxes in the colours of an editable one.
    const int id = GetDlgCtrlID(reinterpret_cast<HWND>(lparam));
    const auto is_box = [id](const FolderRowControls& row) { return row.box == id; };
    if (std::none_of(std::begin(kFolderRows), std::end(kFolderRows), is_box)) return false;
    const auto dc = reinterpret_cast<HDC>(wparam);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    return true;
  }

  void SetBoxText(int id, const Text& text) { SetWindowTextW(Control(id), WideCStr(text)); }

  void Browse(const FolderRowControls& row) {
    ShowFolderPicker(window(), row.row, context_.values, context_.program_folder,
                     [this, box = row.box](const Text& folder) { SetBoxText(box, folder); });
  }

  void Ok() {
    if (!ApplyOptionsOk(WindowText(Control(kIdIntervalBox)), context_.values, context_.store,
                        context_.set_intake_interval)) {
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
