// The dialogs' decisions without windows: the options dialog's OK, the
// folder picker over fake controls, and the tree's path forms.
#include <set>

#include "dialogs/options_rules.h"
#include "dialogs/picker_rules.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

// `interval` 0: no number, the dialog stays open.
struct OkRow {
  const char* name;
  const char* text;
  bool store_fails;
  int interval;
};

// The text is rounded (halves to the even neighbour), then clamped.
const OkRow kOkRows[] = {
    {"a half below the lower bound rounds onto it", "299.5", false, 300},
    {"a value beyond 32 bits is lowered to the upper bound", "99999999999", false, 60000},
    {"a value beyond a double is lowered to the upper bound", "1e999", false, 60000},
    {"a failed KosinTime write still applies the interval", "2000", true, 2000},
    {"letters are no number", "abc", false, 0},
};

TEST(OptionsOk, StoresAndAppliesTheIntervalOrRefusesTheText) {
  for (const OkRow& row : kOkRows) {
    SCOPED_TRACE(row.name);
    ProgramValues values;
    values.tick_interval = 1234;
    test::MemorySettingsStore store;
    store.fail_writes = row.store_fails;
    std::string timer;
    const bool closes =
        ApplyOptionsOk(U(row.text), values, store, [&](std::int32_t ms) { timer += std::to_string(ms); });
    const std::string interval = row.interval != 0 ? std::to_string(row.interval) : "";
    EXPECT_EQ(closes, row.interval != 0);
    EXPECT_EQ(values.tick_interval, row.interval != 0 ? row.interval : 1234);
    EXPECT_EQ(timer, interval);
    EXPECT_EQ(Utf8(store.Stored(kProgramTitle, kKeyKosinTime).value_or(u"")), row.store_fails ? "" : interval);
  }
}

// The folder tree over a few folders and a share, the drive list with drives
// only. A bare drive opens its current folder (on the tree's drive the one it
// has open); a different drive, set or picked, notifies.
struct FakeControls final : FolderTree, DriveList {
  std::set<std::string> folders{"C:\\", "C:\\App", "C:\\V", "D:\\", "D:\\work", "A:\\", "\\\\s\\h\\"};
  std::set<std::string> not_ready{"A:"};
  std::string d_current = "D:\\work", open = "D:\\work", shown = "C:", notified;
  FolderPicker* picker = nullptr;
  Text Path() const override { return U(open.c_str()); }
  bool SetPath(const Text& path) override {
    std::string target = Utf8(NormalisedFolderPath(path));
    if (IsBareDrive(path)) target = target[0] == open[0] ? open : target == "D:\\" ? d_current : target;
    if (not_ready.count(target.substr(0, 2)) != 0 || folders.count(target) == 0) return false;
    return open = target, true;
  }
  Text Drive() const override { return U(shown.c_str()); }
  bool SetDrive(const Text& drive_or_path) override {
    const std::string drive = Utf8(DriveOfPath(drive_or_path));
    if (drive.empty()) return false;
    if (drive != shown) Pick(drive);
    return true;
  }
  void Pick(const std::string& drive) {
    shown = drive;
    notified += drive.substr(0, 1);
    if (notified.size() < 9) picker->DriveChanged();
  }
};

// `picked`: the drives the user picks after opening, by letter; `notified`: the drive list's notifications, by
// letter; `written`: the folder OK writes into the row's value and box.
struct PickRow {
  const char* name;
  FolderRow row;
  const char *start, *picked;
  std::function<void(FakeControls&)> meanwhile;
  const char *notified, *written;
  const char* program_folder = "C:\\App";
};

const PickRow kPickRows[] = {
    {"the exchange folder opens and the list keeps its drive", FolderRow::Exchange, "C:\\V", nullptr, nullptr, "",
     "C:\\V"},
    {"a start on another drive moves the list whose notification opens that drive", FolderRow::Backup, "D:\\work",
     nullptr, nullptr, "D", "D:\\work"},
    {"an empty starting folder opens the program folder", FolderRow::Database, "", nullptr, nullptr, "", "C:\\App"},
    {"a program folder at a drive's root opens the root", FolderRow::Database, "", nullptr, nullptr, "", "D:\\", "D:"},
    {"a share, which the drive list lacks, opens the program folder", FolderRow::Exchange, "\\\\s\\h", nullptr, nullptr,
     "", "C:\\App"},
    {"a picked drive opens its current folder", FolderRow::Database, "C:\\V", "D", nullptr, "D", "D:\\work"},
    {"a drive root keeps its separator", FolderRow::Database, "C:\\V", "D",
     [](FakeControls& t) { t.d_current = "D:\\"; }, "D", "D:\\"},
    {"a picked drive not ready sends the list back, each time", FolderRow::Exchange, "C:\\V", "AA", nullptr, "ACAC",
     "C:\\V"},
};

TEST(FolderPickerRules, OpenFollowAndWriteTheRow) {
  for (const PickRow& row : kPickRows) {
    SCOPED_TRACE(row.name);
    FakeControls controls;
    // Each row's value starts apart from the others, so that OK shows which it writes.
    ProgramValues values{U(row.start), U(row.start) + u"b", U(row.start) + u"d", 1000};
    if (row.row == FolderRow::Backup) values.backup_folder = U(row.start);
    if (row.row == FolderRow::Database) values.database_folder = U(row.start);
    FolderPicker picker(row.row, values, controls, controls, U(row.program_folder));
    controls.picker = &picker;
    picker.Open();
    if (row.meanwhile) row.meanwhile(controls);
    for (const char* d = row.picked; d != nullptr && *d != '\0'; ++d) controls.Pick(std::string{*d, ':'});
    EXPECT_EQ(Utf8(picker.Ok()), row.written);
    EXPECT_EQ(controls.notified, row.notified);
    // The row's program-wide value takes the folder; the others stay.
    const std::string start = row.start;
    EXPECT_EQ(Utf8(values.exchange_folder), row.row == FolderRow::Exchange ? row.written : start);
    EXPECT_EQ(Utf8(values.backup_folder), row.row == FolderRow::Backup ? row.written : start + "b");
    EXPECT_EQ(Utf8(values.database_folder), row.row == FolderRow::Database ? row.written : start + "d");
  }
}

TEST(Paths, AreJoinedWithOneSeparatorAddedAndTakenApartAtTheLast) {
  EXPECT_EQ(JoinPath(u"D:\\", u"Filemk"), u"D:\\\\Filemk");
  EXPECT_EQ(FolderOfPath(u"C:\\App\\tavikFM.exe"), u"C:\\App");
  EXPECT_EQ(FolderOfPath(u"C:\\tavikFM.exe"), u"C:");
  EXPECT_EQ(FolderOfPath(u"tavikFM.exe"), u"");
  EXPECT_EQ(FolderItself(u"C:") + u"|" + FolderItself(u"C:\\App") + u"|" + FolderItself(u"C:a"), u"C:\\|C:\\App|C:a");
}

// `normalised`: "bare " for a bare drive, then the normalised path; `chain`: the tree's folders down to the
// open one; `shown`: the name the tree shows for the path.
struct PathRow {
  const char *name, *path, *normalised, *chain, *shown;
};

const PathRow kPathRows[] = {
    {"a bare drive is its root", "a:", "bare A:\\", "|A:\\", "A:\\"},
    {"the last letter is a drive too", "z:", "bare Z:\\", "|Z:\\", "Z:\\"},
    {"a digit before a colon is no drive", "1:\\x", "1:\\x", "|1:|1:\\x", "x"},
    {"slashes and trailing separators go", "Z:/a/データ/", "Z:\\a\\データ", "|Z:\\|Z:\\a|Z:\\a\\データ", "データ"},
    {"a doubled separator inside is passed over", "C:\\a\\\\b", "C:\\a\\\\b", "|C:\\|C:\\a|C:\\a\\b", "b"},
    {"a drive-relative path keeps its drive", "A:a", "A:a", "|A:|A:\\a", "A:a"},
    {"a share keeps its root separator", "\\\\srv\\share", "\\\\srv\\share\\", "|\\\\srv\\share\\", "\\\\srv\\share\\"},
    {"a path from the current drive's root", "\\x", "\\x", "|\\|\\x", "x"},
};

TEST(FolderPaths, AreTheTreesForms) {
  for (const PathRow& row : kPathRows) {
    SCOPED_TRACE(row.name);
    std::string chain;
    for (const Text& folder : FolderChain(U(row.path))) chain += "|" + Utf8(folder);
    EXPECT_EQ((IsBareDrive(U(row.path)) ? "bare " : "") + Utf8(NormalisedFolderPath(U(row.path))) + " " + chain + " " +
                  Utf8(FolderDisplayName(U(row.path))),
              std::string(row.normalised) + " " + row.chain + " " + row.shown);
  }
}

}  // namespace
}  // namespace tavik
