// The folder picker's two list controls on Win32: the drive list, a
// drop-down list of the machine's drives, and the folder tree, a list box
// showing the open folder with its ancestors and its subfolders.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "common/handles_win32.h"
#include "dialogs/picker_rules.h"

namespace tavik {

// The folder tree on an owner-drawn list box (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS |
// LBS_NOTIFY). The list's texts are the folder names as shown.
class FolderTreeBox final : public FolderTree {
 public:
  explicit FolderTreeBox(HWND list);

  Text Path() const override { return open_; }
  // A bare drive opens that drive's current folder: for the drive the tree
  // is on, the folder it has open; for another drive, the process's current
  // folder there (its root unless the process has been elsewhere on it).
  bool SetPath(const Text& path) override;

  // LBN_DBLCLK: the folder listed at `index` becomes the open folder.
  void OpenListed(int index);
  // WM_DRAWITEM of the list.
  void Draw(const DRAWITEMSTRUCT& item) const;
  // WM_MEASUREITEM: the height of one entry in the list's font.
  static UINT ItemHeight(HWND dialog, HFONT font);

 private:
  struct Entry {
    Text path;
    int level;
    bool open_chain;  // the open folder or one of its ancestors
  };
  void Fill();

  HWND list_;
  Text open_;
  std::vector<Entry> entries_;
  IconHandle closed_icon_;
  IconHandle open_icon_;
};

// The drive list on a drop-down list combo box, filled from GetLogicalDriveStrings,
// showing the process's current drive at first.
class DriveCombo final : public DriveList {
 public:
  explicit DriveCombo(HWND combo);

  Text Drive() const override;
  bool SetDrive(const Text& drive_or_path) override;

  // CBN_SELCHANGE: the user picked a drive.
  void UserPicked();

  // Runs when the drive shown changes, by the user or by SetDrive.
  std::function<void()> on_change;

 private:
  int Shown() const;
  HWND combo_;
  std::vector<Text> drives_;  // "C:", in the list's order
  int current_ = -1;          // the entry shown, as the notification last saw it
};

}  // namespace tavik
