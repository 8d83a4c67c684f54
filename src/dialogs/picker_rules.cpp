#include "dialogs/picker_rules.h"

#include <utility>

namespace tavik {

FolderPicker::FolderPicker(FolderRow row, ProgramValues& values, FolderTree& tree, DriveList& drives,
                           Text program_folder)
    : row_(row), values_(values), tree_(tree), drives_(drives), program_folder_(std::move(program_folder)) {}

void FolderPicker::Open() {
  const Text start = values_.*FolderValueOf(row_);
  // The picker's fallback (docs/contracts.md). An empty starting folder (a row not
  // picked yet in this run) fails like
  // a missing one: the tree does not fall back on the current folder.
  bool ok = !start.empty() && tree_.SetPath(start);
  if (ok) ok = drives_.SetDrive(tree_.Path());
  if (!ok) tree_.SetPath(FolderItself(program_folder_));
}

void FolderPicker::DriveChanged() {
  if (tree_.SetPath(drives_.Drive())) return;
  // The drive cannot be read: back to the tree's own drive. That raises
  // this notification once more; should even the tree's drive fail now,
  // the list already shows it, so setting it again raises nothing.
  drives_.SetDrive(tree_.Path());
}

Text FolderPicker::Ok() {
  Text& value = values_.*FolderValueOf(row_);
  value = tree_.Path();
  return value;
}

}  // namespace tavik
