// What frmPictFolda decides, apart from its window: where it starts, how
// the drive list and the folder tree follow each other, and where OK
// writes. The two list controls come in through small interfaces, so that
// the decisions run against fakes as well as against the real controls.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "common/paths.h"
#include "common/text.h"
#include "dialogs/options_rules.h"
#include "settings/program_values.h"

namespace tavik {

inline constexpr TextView kPickerCaption = u"フォルダ";

// Dir1: the folder tree.
class FolderTree {
 public:
  virtual ~FolderTree() = default;
  // The open folder (the one whose subfolders are listed, not a highlighted
  // subfolder): a drive's root with its trailing "\", others without one.
  virtual Text Path() const = 0;
  // Opens the folder, or for a bare drive ("D:") that drive's current
  // folder. False when the folder does not exist or its drive is not
  // ready; the tree then stays where it was.
  virtual bool SetPath(const Text& path) = 0;
};

// Drive1: the drive list.
class DriveList {
 public:
  virtual ~DriveList() = default;
  // The drive shown, as "C:".
  virtual Text Drive() const = 0;
  // Shows the drive of a drive or folder path. False when the list has no
  // such drive. When the drive differs from the one shown, the change
  // notification (FolderPicker::DriveChanged) runs before this returns.
  virtual bool SetDrive(const Text& drive_or_path) = 0;
};

// The starting folder for a row: ExchangeFolder, BackupFolder or
// DatabaseFolder; empty for any other PickerTarget.
Text PickerStartingFolder(const ProgramValues& values, PickerRow target);

// The program-wide value OK writes for a row; nullptr for any other
// PickerTarget.
Text* PickerValueFor(ProgramValues& values, PickerRow target);

// The options dialog's box OK writes for a row; nothing for any other
// PickerTarget.
std::optional<OptionsFolderBox> PickerBoxFor(PickerRow target);

// The picker's event handlers.
class FolderPicker {
 public:
  FolderPicker(ProgramValues& values, FolderTree& tree, DriveList& drives, Text program_folder);

  // Form_Load: the tree opens at the starting folder and the drive list
  // follows it; when either fails (an empty starting folder counts as a
  // failure) the tree opens at the program's folder instead and the drive
  // list is left as it is. No message.
  void Load();

  // Drive1_Change: the tree opens the drive now shown. When that fails the
  // drive list goes back to the tree's drive, which raises the notification
  // once more; should that run fail as well, it stops there. No message.
  void DriveChanged();

  // cmdOK_Click: the tree's path becomes the row's program-wide value.
  // Returns the box of the options dialog to write and the text for it;
  // nothing when PickerTarget names no row. The caller closes the picker.
  struct BoxText {
    OptionsFolderBox box;
    Text text;
  };
  std::optional<BoxText> Ok();

 private:
  ProgramValues& values_;
  FolderTree& tree_;
  DriveList& drives_;
  Text program_folder_;
};

}  // namespace tavik
