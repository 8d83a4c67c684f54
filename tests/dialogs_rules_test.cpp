// The dialogs' decisions without windows: the options dialog's OK and load,
// the folder picker against a fake tree and drive list, the tree's path
// forms, and the version dialog's texts.
#include <set>

#include "dialogs/about_box.h"
#include "dialogs/options_rules.h"
#include "dialogs/picker_rules.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

struct OkRow {
  const char* name;
  const char* text;
  bool store_fails;
  int interval;  // 0: no number, the dialog stays open
};

const OkRow kOkRows[] = {
    {"150 goes up to 300", "150", false, 300},           {"minus 5 goes up to 300", "-5", false, 300},
    {"60001 goes down to 60000", "60001", false, 60000}, {"a bound itself stays", "60000", false, 60000},
    {"1000 point 5 goes to the even 1000", "1000.5", false, 1000},
    {"1001 point 5 goes to the even 1002", "1001.5", false, 1002},
    {"rounding comes before the clamp", "299.5", false, 300},
    {"blanks and group separators are taken", " 1,000 ", false, 1000},
    {"beyond 32 bits clamps by its sign", "-99999999999", false, 300},
    {"a failed KosinTime write still applies the interval", "2000", true, 2000},
    {"an empty text is no number", "", false, 0},        {"letters are no number", "abc", false, 0},
    {"a hexadecimal form is no number", "&H10", false, 0},
};

class OptionsOk : public testing::TestWithParam<OkRow> {};

TEST_P(OptionsOk, StoresAndAppliesTheIntervalOrRefusesTheText) {
  const OkRow& row = GetParam();
  ProgramValues values;
  values.TickInterval = 1234;
  test::MemorySettingsStore store;
  store.fail_writes = row.store_fails;
  std::string timer;
  const bool closes = ApplyOptionsOk(U(row.text), values, store, [&](std::int32_t ms) { timer += std::to_string(ms); });
  const std::string interval = row.interval != 0 ? std::to_string(row.interval) : "";
  EXPECT_EQ(closes, row.interval != 0);
  EXPECT_EQ(values.TickInterval, row.interval != 0 ? row.interval : 1234);
  EXPECT_EQ(timer, interval);
  EXPECT_EQ(Utf8(store.Stored(kProgramTitle, kKeyKosinTime).value_or(u"")), row.store_fails ? "" : interval);
}

INSTANTIATE_TEST_SUITE_P(Options, OptionsOk, testing::ValuesIn(kOkRows), test::RowName<OkRow>);

TEST(OptionsLoad, ShowsTheExchangeFolderAndIntervalButNoFolderPickedBefore) {
  const OptionsLoadTexts t = OptionsTextsAtLoad({u"C:\\V\\Filemk", u"C:\\B", u"D:\\", -20, PickerRow::PickBackup});
  EXPECT_EQ(Utf8(t.txtFolda + u"|" + t.txtBackupFolda + u"|" + t.txtTavikDB + u"|" + t.txtKosinTime), "C:\\V\\Filemk|||-20");
}

// Dir1 over a few folders. A bare drive opens its current folder: for the
// drive the tree is on, the folder it has open.
struct FakeTree final : FolderTree {
  std::set<std::string> folders{"C:\\", "C:\\App", "C:\\V\\Filemk", "D:\\", "D:\\work", "A:\\", "Q:\\x"};
  std::set<std::string> not_ready{"A:"};
  std::string d_current = "D:\\work";
  std::string open = "D:\\work";
  Text Path() const override { return U(open.c_str()); }
  bool SetPath(const Text& path) override {
    std::string target = Utf8(NormalisedFolderPath(path));
    if (IsBareDrive(path)) target = target[0] == open[0] ? open : target == "D:\\" ? d_current : target;
    if (not_ready.count(target.substr(0, 2)) != 0 || folders.count(target) == 0) return false;
    open = target;
    return true;
  }
};

// Drive1 without Q:; a different drive, set or picked, notifies.
struct FakeDrives final : DriveList {
  std::string shown = "C:", notified;
  std::function<void()> on_change;
  Text Drive() const override { return U(shown.c_str()); }
  bool SetDrive(const Text& drive_or_path) override {
    const std::string drive = Utf8(DriveOfPath(drive_or_path));
    if (drive.empty() || drive == "Q:") return false;
    if (drive != shown) Pick(drive);
    return true;
  }
  void Pick(const std::string& drive) {
    shown = drive;
    notified += drive.substr(0, 1);
    if (notified.size() < 9) on_change();
  }
};

struct PickRow {
  const char* name;
  PickerRow target;
  const char* start;    // the starting folder of every row
  const char* picked;   // the drive the user picks after load, or nullptr
  std::function<void(FakeTree&)> meanwhile;
  const char* notified;  // the drive list's notifications
  const char* written;   // "<box> <folder>" at OK, "" for none
};

const PickRow kPickRows[] = {
    {"the exchange folder opens and the list keeps its drive", PickerRow::PickExchange, "C:\\V\\Filemk", nullptr,
     nullptr, "", "0 C:\\V\\Filemk"},
    {"a start on another drive moves the list whose notification opens that drive", PickerRow::PickBackup,
     "D:\\work", nullptr, nullptr, "D", "1 D:\\work"},
    {"a missing starting folder opens the program folder", PickerRow::PickExchange, "C:\\No", nullptr, nullptr, "",
     "0 C:\\App"},
    {"an empty starting folder opens the program folder", PickerRow::PickDatabase, "", nullptr, nullptr, "",
     "2 C:\\App"},
    {"a drive the list lacks opens the program folder", PickerRow::PickExchange, "Q:\\x", nullptr, nullptr, "",
     "0 C:\\App"},
    {"a starting drive not ready opens the program folder", PickerRow::PickExchange, "A:\\", nullptr, nullptr, "",
     "0 C:\\App"},
    {"a picked drive opens its current folder", PickerRow::PickDatabase, "C:\\V\\Filemk", "D:", nullptr, "D",
     "2 D:\\work"},
    {"a drive root keeps its separator", PickerRow::PickDatabase, "C:\\V\\Filemk", "D:",
     [](FakeTree& t) { t.d_current = "D:\\"; }, "D", "2 D:\\"},
    {"a picked drive not ready sends the list back once", PickerRow::PickExchange, "C:\\V\\Filemk", "A:", nullptr,
     "AC", "0 C:\\V\\Filemk"},
    {"a failure on the way back stops there", PickerRow::PickExchange, "C:\\V\\Filemk", "A:",
     [](FakeTree& t) { t.not_ready.insert("C:"); }, "AC", "0 C:\\V\\Filemk"},
    {"any other target only closes", PickerRow::None, "C:\\V\\Filemk", nullptr, nullptr, "", ""},
};

class FolderPickerRules : public testing::TestWithParam<PickRow> {};

TEST_P(FolderPickerRules, OpenFollowAndWriteTheRow) {
  const PickRow& row = GetParam();
  FakeTree tree;
  FakeDrives drives;
  ProgramValues values{U(row.start), U(row.start), U(row.start), 1000, row.target};
  FolderPicker picker(values, tree, drives, u"C:\\App");
  drives.on_change = [&] { picker.DriveChanged(); };
  picker.Load();
  if (row.meanwhile) row.meanwhile(tree);
  if (row.picked != nullptr) drives.Pick(row.picked);
  const auto written = picker.Ok();
  EXPECT_EQ(drives.notified, row.notified);
  EXPECT_EQ(written ? std::to_string(static_cast<int>(written->box)) + " " + Utf8(written->text) : "", row.written);
  // The row's program-wide value takes the folder; the others stay.
  Text folders[3] = {U(row.start), U(row.start), U(row.start)};
  if (written) folders[static_cast<int>(written->box)] = written->text;
  EXPECT_EQ(values.ExchangeFolder + values.BackupFolder + values.DatabaseFolder, folders[0] + folders[1] + folders[2]);
}

INSTANTIATE_TEST_SUITE_P(Picker, FolderPickerRules, testing::ValuesIn(kPickRows), test::RowName<PickRow>);

struct PathRow {
  const char* name;
  const char* path;
  const char* chain;  // the tree's entries down to the open folder
};

const PathRow kPathRows[] = {
    {"a bare drive is its root", "c:", "C:\\"},
    {"a doubled root separator goes", "C:\\\\", "C:\\"},
    {"slashes and trailing separators go", "C:/a/データ/", "C:\\|a|データ"},
    {"a share keeps its root separator", "\\\\srv\\share", "\\\\srv\\share\\"},
    {"a folder on a share", "\\\\srv\\share\\x\\", "\\\\srv\\share\\|x"},
    {"an empty path has no entries", "", ""},
};

class FolderPaths : public testing::TestWithParam<PathRow> {};

TEST_P(FolderPaths, AreListedAsTheTreeShowsThem) {
  std::string chain;
  for (const Text& folder : FolderChain(U(GetParam().path))) {
    chain += (chain.empty() ? "" : "|") + Utf8(FolderDisplayName(folder));
  }
  EXPECT_EQ(chain, GetParam().chain);
}

INSTANTIATE_TEST_SUITE_P(Picker, FolderPaths, testing::ValuesIn(kPathRows), test::RowName<PathRow>);

TEST(AboutTexts, ReadTheTitleAndUnpaddedVersionNumbers) {
  EXPECT_EQ(Utf8(AboutCaption(u"TavikFM") + u"|" + AboutVersionLine({1, 0, 0}) + u"|" + AboutVersionLine({2, 10, 3})),
            "TavikFMのﾊﾞｰｼﾞｮﾝ情報|ﾊﾞｰｼﾞｮﾝ 1.0.0|ﾊﾞｰｼﾞｮﾝ 2.10.3");
}

}  // namespace
}  // namespace tavik
