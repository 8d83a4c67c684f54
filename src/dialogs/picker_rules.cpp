#include "dialogs/picker_rules.h"

#include <utility>

namespace tavik {

Text PickerStartingFolder(const ProgramValues& values, PickerRow target) {
  switch (target) {
    case PickerRow::PickExchange: return values.ExchangeFolder;
    case PickerRow::PickBackup: return values.BackupFolder;
    case PickerRow::PickDatabase: return values.DatabaseFolder;
    default: return Text();
  }
}

Text* PickerValueFor(ProgramValues& values, PickerRow target) {
  switch (target) {
    case PickerRow::PickExchange: return &values.ExchangeFolder;
    case PickerRow::PickBackup: return &values.BackupFolder;
    case PickerRow::PickDatabase: return &values.DatabaseFolder;
    default: return nullptr;
  }
}

std::optional<OptionsFolderBox> PickerBoxFor(PickerRow target) {
  switch (target) {
    case PickerRow::PickExchange: return OptionsFolderBox::txtFolda;
    case PickerRow::PickBackup: return OptionsFolderBox::txtBackupFolda;
    case PickerRow::PickDatabase: return OptionsFolderBox::txtTavikDB;
    default: return std::nullopt;
  }
}

FolderPicker::FolderPicker(ProgramValues& values, FolderTree& tree, DriveList& drives, Text program_folder)
    : values_(values), tree_(tree), drives_(drives), program_folder_(std::move(program_folder)) {}

void FolderPicker::Load() {
  const Text start = PickerStartingFolder(values_, values_.PickerTarget);
  // An empty starting folder (a row not picked yet in this run) fails like
  // a missing one: the tree does not fall back on the current folder.
  bool ok = !start.empty() && tree_.SetPath(start);
  if (ok) ok = drives_.SetDrive(tree_.Path());
  if (!ok) tree_.SetPath(program_folder_);
}

void FolderPicker::DriveChanged() {
  if (tree_.SetPath(drives_.Drive())) return;
  // The drive cannot be read: back to the tree's own drive. That raises
  // this notification once more; should even the tree's drive fail now,
  // the list already shows it, so setting it again raises nothing.
  drives_.SetDrive(tree_.Path());
}

std::optional<FolderPicker::BoxText> FolderPicker::Ok() {
  const Text path = tree_.Path();
  Text* value = PickerValueFor(values_, values_.PickerTarget);
  const std::optional<OptionsFolderBox> box = PickerBoxFor(values_.PickerTarget);
  if (value == nullptr || !box) return std::nullopt;
  *value = path;
  return BoxText{*box, path};
}

}  // namespace tavik
