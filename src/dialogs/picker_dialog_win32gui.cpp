// The folder picker (フォルダ) of the options dialog's three rows.
#include "dialogs/picker_dialog_win32gui.h"

#include <memory>

#include "common/program_texts.h"
#include "dialogs/dialogs_win32gui.h"
#include "dialogs/folder_controls_win32gui.h"
#include "dialogs/modal_dialog_win32gui.h"
#include "dialogs/picker_rules.h"

namespace tavik {
namespace {

// The drive list's drop-down part, below its 276 twips, in twips.
constexpr int kDriveDropDownHeight = 2400;

class PickerDialog final : public ModalDialog {
 public:
  PickerDialog(FolderRow row, ProgramValues& values, const Text& program_folder,
               const std::function<void(const Text&)>& write_box)
      : ModalDialog(kPickerWindowClass, kPickerCaption, 3984, 3228),
        row_(row),
        values_(values),
        program_folder_(program_folder),
        write_box_(write_box) {}

 private:
  void OnCreate() override {
    // In tab order.
    HWND drive_list = AddControl(L"COMBOBOX", u"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, kIdDriveList,
                                 {240, 240, 1812, 276 + kDriveDropDownHeight});
    HWND folder_list =
        AddControl(L"LISTBOX", u"",
                   LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP,
                   WS_EX_CLIENTEDGE, kIdFolderList, {240, 720, 2412, 2316});
    AddControl(L"BUTTON", kPickerOkCaption, BS_PUSHBUTTON | WS_TABSTOP, 0, kIdFolderPickerOk, {2880, 480, 972, 492});
    AddControl(L"BUTTON", kCancelCaption, BS_PUSHBUTTON | WS_TABSTOP, 0, kIdFolderPickerCancel, {2880, 1800, 972, 492});
    tree_ = std::make_unique<FolderTreeBox>(folder_list);
    drives_ = std::make_unique<DriveCombo>(drive_list);
    picker_ = std::make_unique<FolderPicker>(row_, values_, *tree_, *drives_, program_folder_);
    drives_->on_change = [this] { picker_->DriveChanged(); };
    picker_->Open();
  }

  void OnCommand(int id, int code) override {
    if (id == kIdDriveList && code == CBN_SELCHANGE) drives_->UserPicked();
    if (id == kIdFolderList && code == LBN_DBLCLK) {
      tree_->OpenListed(static_cast<int>(SendMessageW(Control(kIdFolderList), LB_GETCURSEL, 0, 0)));
    }
    if (code != BN_CLICKED) return;
    if (id == kIdFolderPickerOk) Ok();
    if (id == kIdFolderPickerCancel) Close();
  }

  bool OnOtherMessage(UINT message, WPARAM, LPARAM lparam, LRESULT& result) override {
    if (message == WM_MEASUREITEM) {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (measure->CtlID != static_cast<UINT>(kIdFolderList)) return false;
      measure->itemHeight = FolderTreeBox::ItemHeight(window(), font());
    } else if (message == WM_DRAWITEM) {
      const auto* draw = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (draw->CtlID != static_cast<UINT>(kIdFolderList) || !tree_) return false;
      tree_->Draw(*draw);
    } else {
      return false;
    }
    result = TRUE;
    return true;
  }

  void Ok() {
    write_box_(picker_->Ok());
    Close();
  }

  FolderRow row_;
  ProgramValues& values_;
  const Text& program_folder_;
  const std::function<void(const Text&)>& write_box_;
  std::unique_ptr<FolderTreeBox> tree_;
  std::unique_ptr<DriveCombo> drives_;
  std::unique_ptr<FolderPicker> picker_;
};

}  // namespace

void ShowFolderPicker(HWND options_dialog, FolderRow row, ProgramValues& values, const Text& program_folder,
                      const std::function<void(const Text&)>& write_box) {
  PickerDialog dialog(row, values, program_folder, write_box);
  dialog.Run(options_dialog);
}

}  // namespace tavik
