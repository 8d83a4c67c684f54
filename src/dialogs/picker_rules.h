// What the folder picker decides, apart from its window: where it starts,
// how the drive list and the folder tree follow each other, and where OK
// writes. The two list controls come in through small interfaces, so that
// the decisions run against fakes as well as against the real controls.
#pragma once

#include "common/paths.h"
#include "common/text.h"
#include "dialogs/options_rules.h"
#include "settings/program_values.h"

namespace tavik {

// The folder tree.
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

// The drive list.
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

// The picker's decisions over its two lists, for one row of the options
// dialog.
class FolderPicker {
 public:
  FolderPicker(FolderRow row, ProgramValues& values, FolderTree& tree, DriveList& drives, Text program_folder);

  // Opening: the tree opens at the row's folder and the drive list follows
  // it; when either fails (an empty folder, a row not picked yet in this
  // run, counts as a failure) the tree opens at the program's folder
  // instead (a drive's root for a program there) and the drive list is
  // left as it is. No message.
  void Open();

  // The drive list shows another drive: the tree opens it. When that fails
  // the drive list goes back to the tree's drive, which raises the
  // notification once more; should that run fail as well, it stops there.
  // No message.
  void DriveChanged();

  // OK: the tree's path becomes the row's program-wide value; returned for
  // the row's box. The caller closes the picker.
  Text Ok();

 private:
  FolderRow row_;
  ProgramValues& values_;
  FolderTree& tree_;
  DriveList& drives_;
  Text program_folder_;
};

}  // namespace tavik
