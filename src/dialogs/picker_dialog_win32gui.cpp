// frmPictFolda: the folder picker of the options dialog's three rows.
#include "dialogs/picker_dialog_win32gui.h"

#include <memory>

#include "dialogs/folder_controls_win32gui.h"
#include "dialogs/options_window_win32gui.h"
#include "dialogs/picker_rules.h"

namespace tavik {

namespace {

namespace dw = dialog_window;

constexpr int kClientWidth = 3984;
constexpr int kClientHeight = 3228;

// Drive1's drop-down part, below its 276 twips, in twips.
constexpr int kDriveDropDownHeight = 2400;

class PickerDialog {
 public:
  PickerDialog(HINSTANCE instance, HWND options_dialog, ProgramValues& values,
               const std::function<void(OptionsFolderBox, const Text&)>& write_box)
      : instance_(instance), options_dialog_(options_dialog), values_(values), write_box_(write_box) {}
  PickerDialog(const PickerDialog&) = delete;
  PickerDialog& operator=(const PickerDialog&) = delete;
  ~PickerDialog() {
    if (font_ != nullptr) DeleteObject(font_);
  }

  void Run() {
    const dw::Twips twips;
    font_ = dw::CreateDialogFont(twips);
    window_ = dw::CreateDialogFrame(instance_, kPickerWindowClass, Text(kPickerCaption), kClientWidth, kClientHeight,
                                    options_dialog_, this);
    if (window_ == nullptr) return;
    // In tab order.
    HWND drive1 = dw::CreateControl(window_, L"COMBOBOX", Text(), CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0,
                                    kIdDrive1, {240, 240, 1812, 276 + kDriveDropDownHeight}, twips, font_);
    HWND dir1 = dw::CreateControl(
        window_, L"LISTBOX", Text(),
        LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
        WS_EX_CLIENTEDGE, kIdDir1, {240, 720, 2412, 2316}, twips, font_);
    dw::CreateControl(window_, L"BUTTON", u"O K", BS_PUSHBUTTON | WS_TABSTOP, 0, kIdPickerCmdOK,
                      {2880, 480, 972, 492}, twips, font_);
    dw::CreateControl(window_, L"BUTTON", u"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, 0, kIdPickerCmdCancel,
                      {2880, 1800, 972, 492}, twips, font_);

    tree_ = std::make_unique<FolderTreeBox>(dir1);
    drives_ = std::make_unique<DriveCombo>(drive1);
    picker_ = std::make_unique<FolderPicker>(values_, *tree_, *drives_, dw::ExecutableFolderPath());
    drives_->on_change = [this] { picker_->DriveChanged(); };
    picker_->Load();  // Form_Load
    dw::RunModal(window_, options_dialog_, closed_);
    window_ = nullptr;
  }

  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* dialog = reinterpret_cast<PickerDialog*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (dialog != nullptr) {
      LRESULT result = 0;
      if (dialog->Handle(hwnd, message, wparam, lparam, result)) return result;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }

 private:
  bool Handle(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
    switch (message) {
      case WM_COMMAND: {
        const int id = LOWORD(wparam);
        const int code = HIWORD(wparam);
        if (id == IDOK || id == IDCANCEL) {
          // Enter or Escape through the dialog manager: only a focused
          // button is pressed, by Enter.
          if (HWND button = dw::ButtonForEnterKey(hwnd, wparam)) Click(GetDlgCtrlID(button));
          return true;
        }
        if (lparam == 0) return true;
        if (id == kIdDrive1 && code == CBN_SELCHANGE && drives_) drives_->UserPicked();
        if (id == kIdDir1 && code == LBN_DBLCLK && tree_) {
          tree_->OpenListed(static_cast<int>(SendMessageW(reinterpret_cast<HWND>(lparam), LB_GETCURSEL, 0, 0)));
        }
        if (code == BN_CLICKED) Click(id);
        return true;
      }
      case WM_CLOSE:  // the close box acts like キャンセル
        closed_ = true;
        return true;
      case WM_ACTIVATE:
        dw::KeepFocusOnActivate(hwnd, wparam, saved_focus_, GetDlgItem(hwnd, kIdDrive1));
        return true;
      case WM_MEASUREITEM: {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
        if (measure->CtlID != static_cast<UINT>(kIdDir1)) return false;
        measure->itemHeight = FolderTreeBox::ItemHeight(hwnd, font_);
        result = TRUE;
        return true;
      }
      case WM_DRAWITEM: {
        const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
        if (draw->CtlID != static_cast<UINT>(kIdDir1) || !tree_) return false;
        tree_->Draw(*draw);
        result = TRUE;
        return true;
      }
      default:
        return false;
    }
  }

  void Click(int id) {
    if (id == kIdPickerCmdOK) cmdOK_Click();
    if (id == kIdPickerCmdCancel) closed_ = true;
  }

  void cmdOK_Click() {
    if (const auto written = picker_->Ok()) {
      if (write_box_) write_box_(written->box, written->text);
    }
    closed_ = true;
  }

  HINSTANCE instance_;
  HWND options_dialog_;
  ProgramValues& values_;
  const std::function<void(OptionsFolderBox, const Text&)>& write_box_;
  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  HWND saved_focus_ = nullptr;
  bool closed_ = false;
  std::unique_ptr<FolderTreeBox> tree_;
  std::unique_ptr<DriveCombo> drives_;
  std::unique_ptr<FolderPicker> picker_;
};

}  // namespace

void ShowFolderPicker(HINSTANCE instance, HWND options_dialog, ProgramValues& values,
                      const std::function<void(OptionsFolderBox, const Text&)>& write_box) {
  dialog_window::RegisterDialogClass(instance, kPickerWindowClass, &PickerDialog::Procedure);
  PickerDialog dialog(instance, options_dialog, values, write_box);
  dialog.Run();
}

}  // namespace tavik
