// The folder picker's decisions against a fake folder tree and drive list:
// load, the drive list's change notification, OK, and the path forms.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "dialogs/picker_rules.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

// A machine's folders and drives, in the forms the tree gives.
struct FakeDisk {
  std::set<std::string> folders;                 // "C:\", "C:\a", ...
  std::set<std::string> not_ready;               // "A:"
  std::map<std::string, std::string> current;    // drive -> its current folder
};

// Dir1: opens existing folders on ready drives; for a bare drive the
// drive's current folder, or, for the drive it is on, the folder it has
// open.
class FakeTree final : public FolderTree {
 public:
  FakeTree(FakeDisk& disk, std::string open) : disk_(disk), open_(std::move(open)) {}
  Text Path() const override { return U(open_.c_str()); }
  bool SetPath(const Text& path) override {
    calls.push_back(Utf8(path));
    std::string target = Utf8(NormalisedFolderPath(path));
    if (IsBareDrive(path)) {
      const std::string drive = Utf8(DriveOfPath(path));
      if (drive == Utf8(DriveOfPath(U(open_.c_str())))) {
        target = open_;
      } else {
        auto it = disk_.current.find(drive);
        target = it != disk_.current.end() ? it->second : drive + "\\";
      }
    }
    if (disk_.not_ready.count(Utf8(DriveOfPath(U(target.c_str()))))) return false;
    if (!disk_.folders.count(target)) return false;
    open_ = target;
    return true;
  }
  std::vector<std::string> calls;

 private:
  FakeDisk& disk_;
  std::string open_;
};

// Drive1: a fixed list; setting a different drive raises the notification.
class FakeDrives final : public DriveList {
 public:
  FakeDrives(std::vector<std::string> drives, std::string shown) : drives_(std::move(drives)), shown_(std::move(shown)) {}
  Text Drive() const override { return U(shown_.c_str()); }
  bool SetDrive(const Text& drive_or_path) override {
    const std::string drive = Utf8(DriveOfPath(drive_or_path));
    bool listed = false;
    for (const std::string& d : drives_) listed = listed || d == drive;
    if (!listed) return false;
    if (drive != shown_) {
      shown_ = drive;
      ++notifications;
      if (notifications > 10) ADD_FAILURE() << "the drive list keeps changing";
      else if (on_change) on_change();
    }
    return true;
  }
  // The user picks a drive: the list shows it and notifies.
  void UserPicks(const std::string& drive) {
    shown_ = drive;
    ++notifications;
    on_change();
  }
  std::function<void()> on_change;
  int notifications = 0;

 private:
  std::vector<std::string> drives_;
  std::string shown_;
};

const char* const kProgramFolder = "C:\\Program Files\\TavikFM";

struct Machine {
  FakeDisk disk;
  ProgramValues values;
  FakeTree tree{disk, kProgramFolder};  // where the process happens to be
  FakeDrives drives{{"A:", "C:", "D:"}, "C:"};
  FolderPicker picker{values, tree, drives, U(kProgramFolder)};

  Machine() {
    disk.folders = {"C:\\",         "C:\\Program Files", kProgramFolder, "C:\\TavikView",
                    "C:\\TavikView\\Filemk", "C:\\Backup",  "D:\\",         "D:\\Exchange",
                    "D:\\Exchange\\Filemk",  "D:\\work"};
    disk.not_ready = {"A:"};
    disk.current = {{"D:", "D:\\work"}};
    drives.on_change = [this] { picker.DriveChanged(); };
  }
  std::string TreePath() const { return Utf8(tree.Path()); }
  std::string Drive() const { return Utf8(drives.Drive()); }
};

TEST(PickerLoad, OpensTheExchangeFolderAndKeepsTheDriveShown) {
  Machine m;
  m.values.ExchangeFolder = U("C:\\TavikView\\Filemk");
  m.values.PickerTarget = PickerRow::PickExchange;
  m.picker.Load();
  EXPECT_EQ(m.TreePath(), "C:\\TavikView\\Filemk");
  EXPECT_EQ(m.Drive(), "C:");
  EXPECT_EQ(m.drives.notifications, 0);
}

TEST(PickerLoad, StartsAtTheRowsOwnFolder) {
  struct Case {
    PickerRow target;
    const char* expected;
  };
  const Case cases[] = {{PickerRow::PickExchange, "C:\\TavikView\\Filemk"},
                        {PickerRow::PickBackup, "C:\\Backup"},
                        {PickerRow::PickDatabase, "D:\\Exchange"}};
  for (const Case& c : cases) {
    Machine m;
    m.values.ExchangeFolder = U("C:\\TavikView\\Filemk");
    m.values.BackupFolder = U("C:\\Backup");
    m.values.DatabaseFolder = U("D:\\Exchange");
    m.values.PickerTarget = c.target;
    m.picker.Load();
    EXPECT_EQ(m.TreePath(), c.expected) << "row " << static_cast<int>(c.target);
  }
}

TEST(PickerLoad, OpensTheProgramFolderWhenTheStartingFolderIsMissing) {
  Machine m;
  m.tree.SetPath(U("D:\\work"));
  m.values.ExchangeFolder = U("C:\\Nowhere\\Filemk");
  m.values.PickerTarget = PickerRow::PickExchange;
  m.picker.Load();
  EXPECT_EQ(m.TreePath(), kProgramFolder);
  EXPECT_EQ(m.Drive(), "C:");
  EXPECT_EQ(m.drives.notifications, 0) << "the drive list is not adjusted";
}

TEST(PickerLoad, OpensTheProgramFolderWhenTheStartingFolderIsEmpty) {
  Machine m;
  m.tree.SetPath(U("D:\\work"));
  m.values.PickerTarget = PickerRow::PickBackup;  // nothing picked in this run yet
  m.picker.Load();
  EXPECT_EQ(m.TreePath(), kProgramFolder);
  for (const std::string& call : m.tree.calls) EXPECT_NE(call, "") << "an empty path is never opened";
}

TEST(PickerLoad, OpensTheProgramFolderWhenTheStartingDriveIsNotReady) {
  Machine m;
  m.disk.folders.insert("A:\\");
  m.disk.folders.insert("A:\\Filemk");
  m.values.ExchangeFolder = U("A:\\Filemk");
  m.values.PickerTarget = PickerRow::PickExchange;
  m.picker.Load();
  EXPECT_EQ(m.TreePath(), kProgramFolder);
  EXPECT_EQ(m.Drive(), "C:");
}

TEST(PickerLoad, OpensTheProgramFolderWhenTheDriveListHasNoSuchDrive) {
  Machine m;
  m.disk.folders.insert("\\\\server\\share\\Filemk");
  m.values.ExchangeFolder = U("\\\\server\\share\\Filemk");
  m.values.PickerTarget = PickerRow::PickExchange;
  m.picker.Load();
  EXPECT_EQ(m.TreePath(), kProgramFolder);
  EXPECT_EQ(m.Drive(), "C:");
}

TEST(PickerLoad, OnAnotherDriveMovesTheDriveListWhoseNotificationOpensThatDrive) {
  Machine m;
  m.values.ExchangeFolder = U("D:\\Exchange\\Filemk");
  m.values.PickerTarget = PickerRow::PickExchange;
  m.picker.Load();
  EXPECT_EQ(m.Drive(), "D:");
  EXPECT_EQ(m.drives.notifications, 1);
  ASSERT_FALSE(m.tree.calls.empty());
  EXPECT_EQ(m.tree.calls.back(), "D:") << "the notification sets the tree to the drive";
  // The drive's current folder, as the tree keeps it, is the folder it has open.
  EXPECT_EQ(m.TreePath(), "D:\\Exchange\\Filemk");
}

TEST(PickerLoad, WithAnyOtherTargetOpensTheProgramFolder) {
  Machine m;
  m.values.ExchangeFolder = U("C:\\TavikView\\Filemk");
  m.values.PickerTarget = PickerRow::None;
  m.picker.Load();
  EXPECT_EQ(m.TreePath(), kProgramFolder);
}

TEST(PickerDriveChange, OpensTheCurrentFolderOfThePickedDrive) {
  Machine m;
  m.picker.Load();
  m.drives.UserPicks("D:");
  EXPECT_EQ(m.TreePath(), "D:\\work");
  EXPECT_EQ(m.Drive(), "D:");
  EXPECT_EQ(m.drives.notifications, 1);
}

TEST(PickerDriveChange, ToADriveRootGivesAPathWithATrailingSeparator) {
  Machine m;
  m.disk.current.clear();
  m.picker.Load();
  m.drives.UserPicks("D:");
  EXPECT_EQ(m.TreePath(), "D:\\");
  m.values.PickerTarget = PickerRow::PickBackup;
  ASSERT_TRUE(m.picker.Ok());
  EXPECT_EQ(Utf8(m.values.BackupFolder), "D:\\");
}

TEST(PickerDriveChange, ToADriveThatIsNotReadySendsTheListBackAndLeavesTheTree) {
  Machine m;
  m.values.ExchangeFolder = U("C:\\TavikView\\Filemk");
  m.values.PickerTarget = PickerRow::PickExchange;
  m.picker.Load();
  m.drives.UserPicks("A:");
  EXPECT_EQ(m.Drive(), "C:");
  EXPECT_EQ(m.TreePath(), "C:\\TavikView\\Filemk");
  EXPECT_EQ(m.drives.notifications, 2) << "the user's pick and the one sending it back";
}

TEST(PickerDriveChange, StopsWhenTheTreesOwnDriveFailsAsWell) {
  Machine m;
  m.picker.Load();
  m.disk.not_ready.insert("C:");  // the tree's drive went away meanwhile
  m.drives.UserPicks("A:");
  EXPECT_EQ(m.Drive(), "C:");
  EXPECT_EQ(m.TreePath(), kProgramFolder);
  EXPECT_EQ(m.drives.notifications, 2);
}

struct OkCase {
  PickerRow target;
  OptionsFolderBox box;
  Text ProgramValues::*value;
};

TEST(PickerOk, WritesTheOpenFolderIntoTheRowsValueAndNamesItsBox) {
  const OkCase cases[] = {
      {PickerRow::PickExchange, OptionsFolderBox::txtFolda, &ProgramValues::ExchangeFolder},
      {PickerRow::PickBackup, OptionsFolderBox::txtBackupFolda, &ProgramValues::BackupFolder},
      {PickerRow::PickDatabase, OptionsFolderBox::txtTavikDB, &ProgramValues::DatabaseFolder},
  };
  for (const OkCase& c : cases) {
    Machine m;
    m.values.ExchangeFolder = U("C:\\TavikView\\Filemk");
    m.values.PickerTarget = c.target;
    m.picker.Load();
    m.drives.UserPicks("D:");
    const ProgramValues before = m.values;
    const auto written = m.picker.Ok();
    ASSERT_TRUE(written) << "row " << static_cast<int>(c.target);
    EXPECT_EQ(written->box, c.box);
    EXPECT_EQ(Utf8(written->text), "D:\\work");
    EXPECT_EQ(Utf8(m.values.*c.value), "D:\\work") << "no \\Filemk is appended";
    for (Text ProgramValues::*other :
         {&ProgramValues::ExchangeFolder, &ProgramValues::BackupFolder, &ProgramValues::DatabaseFolder}) {
      if (other != c.value) {
        EXPECT_EQ(m.values.*other, before.*other) << "other rows stay";
      }
    }
  }
}

TEST(PickerOk, WithAnyOtherTargetOnlyCloses) {
  Machine m;
  m.values.ExchangeFolder = U("C:\\TavikView\\Filemk");
  m.values.PickerTarget = static_cast<PickerRow>(7);
  m.picker.Load();
  EXPECT_FALSE(m.picker.Ok());
  EXPECT_EQ(Utf8(m.values.ExchangeFolder), "C:\\TavikView\\Filemk");
  EXPECT_TRUE(m.values.BackupFolder.empty());
  EXPECT_TRUE(m.values.DatabaseFolder.empty());
}

TEST(PickerNextOpening, StartsAtTheFolderPickedBeforeForThatRow) {
  Machine m;
  m.values.PickerTarget = PickerRow::PickBackup;
  m.picker.Load();
  m.drives.UserPicks("D:");
  ASSERT_TRUE(m.picker.Ok());

  FakeTree tree{m.disk, kProgramFolder};
  FakeDrives drives{{"C:", "D:"}, "C:"};
  FolderPicker again{m.values, tree, drives, U(kProgramFolder)};
  drives.on_change = [&] { again.DriveChanged(); };
  again.Load();
  EXPECT_EQ(Utf8(tree.Path()), "D:\\work");
  EXPECT_EQ(Utf8(drives.Drive()), "D:");
}

struct PathCase {
  const char* in;
  const char* out;
};

TEST(FolderPaths, AreNormalisedAsTheTreeGivesThem) {
  const PathCase cases[] = {
      {"C:", "C:\\"},
      {"c:\\", "C:\\"},
      {"C:\\\\", "C:\\"},
      {"C:/a/b/", "C:\\a\\b"},
      {"C:\\a\\b\\\\", "C:\\a\\b"},
      {"D:\\データ\\Filemk", "D:\\データ\\Filemk"},
      {"\\\\server\\share", "\\\\server\\share\\"},
      {"\\\\server\\share\\x\\", "\\\\server\\share\\x"},
      {"", ""},
  };
  for (const PathCase& c : cases) EXPECT_EQ(Utf8(NormalisedFolderPath(U(c.in))), c.out) << "from " << c.in;
}

TEST(FolderPaths, NameTheirDrive) {
  const PathCase cases[] = {
      {"c:\\x", "C:"}, {"D:", "D:"}, {"z:", "Z:"}, {"\\\\server\\share", ""}, {"folder", ""}, {"", ""}, {"1:\\", ""},
  };
  for (const PathCase& c : cases) EXPECT_EQ(Utf8(DriveOfPath(U(c.in))), c.out) << "from " << c.in;
  EXPECT_TRUE(IsBareDrive(u"D:"));
  EXPECT_FALSE(IsBareDrive(u"D:\\"));
  EXPECT_FALSE(IsBareDrive(u"DD"));
}

TEST(FolderChains, RunFromTheRootToTheOpenFolder) {
  const std::vector<std::string> chain = [] {
    std::vector<std::string> out;
    for (const Text& t : FolderChain(u"C:\\TavikView\\Filemk\\")) out.push_back(Utf8(t));
    return out;
  }();
  EXPECT_EQ(chain, (std::vector<std::string>{"C:\\", "C:\\TavikView", "C:\\TavikView\\Filemk"}));

  std::vector<std::string> root;
  for (const Text& t : FolderChain(u"D:")) root.push_back(Utf8(t));
  EXPECT_EQ(root, std::vector<std::string>{"D:\\"});

  std::vector<std::string> unc;
  for (const Text& t : FolderChain(u"\\\\srv\\share\\a")) unc.push_back(Utf8(t));
  EXPECT_EQ(unc, (std::vector<std::string>{"\\\\srv\\share\\", "\\\\srv\\share\\a"}));
  EXPECT_TRUE(FolderChain(u"").empty());
}

TEST(FolderDisplayNames, AreTheRootOrTheLastName) {
  const PathCase cases[] = {
      {"C:\\", "C:\\"}, {"c:", "C:\\"}, {"C:\\TavikView", "TavikView"}, {"C:\\a\\データ", "データ"},
      {"\\\\srv\\share\\", "\\\\srv\\share\\"},
  };
  for (const PathCase& c : cases) EXPECT_EQ(Utf8(FolderDisplayName(U(c.in))), c.out) << "from " << c.in;
}

TEST(SubfolderPaths, JoinWithOneSeparator) {
  EXPECT_EQ(Utf8(JoinFolder(u"C:\\", u"a")), "C:\\a");
  EXPECT_EQ(Utf8(JoinFolder(u"C:\\a", u"b")), "C:\\a\\b");
  EXPECT_EQ(Utf8(JoinFolder(u"", u"b")), "b");
}

}  // namespace
}  // namespace tavik
