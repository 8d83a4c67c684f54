// frmMain's decisions against fakes: the load sequence and its failure
// paths, the Degraded state, the start-up interval, the "Visible" round
// trip, the tick handler and the tray notifications.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <new>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

#include "app/app_texts.h"
#include "app/main_form.h"
#include "common/program_error.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

// Every call the form makes on its window, in order, as readable lines.
class FakeWindow final : public MainWindowPort {
 public:
  void AddTrayIcon() override { Log("tray add"); }
  void RemoveTrayIcon() override { Log("tray delete"); }
  void SetVisible(bool visible) override {
    visible_ = visible;
    Log(visible ? "show" : "hide");
  }
  void SetCheck1(bool checked) override {
    check1_ = checked;
    Log(checked ? "check1 ticked" : "check1 clear");
  }
  bool Check1() const override { return check1_; }
  void SetTimerInterval(std::int32_t milliseconds) override {
    interval_ = milliseconds;
    Log("timer " + std::to_string(milliseconds));
  }
  void ShowMessage(const Text& text) override {
    messages.push_back(Utf8(text));
    Log("message");
  }
  void OpenDocument(const Text& path, const Text& folder) override {
    Log("open " + Utf8(path) + " in " + Utf8(folder));
  }
  void Beep() override { Log("beep"); }
  void ShowPopupMenu() override { Log("popup"); }

  // What the user does between start and exit.
  void TickCheck1(bool checked) { check1_ = checked; }

  std::vector<std::string> calls;
  std::vector<std::string> messages;
  bool visible_ = false;
  bool check1_ = false;
  std::int32_t interval_ = 0;

 private:
  void Log(std::string line) { calls.push_back(std::move(line)); }
};

class FakeServices final : public ShellServices {
 public:
  Text ProgramFolder() override { return U("C:\\Apps\\TavikFM"); }
  bool Exists(const Text& path, ExistenceQuery query) override {
    const std::string p = Utf8(path);
    if (query == ExistenceQuery::Directory && folders.count(p) != 0) return true;
    return files.count(p) != 0;
  }
  void RotateBackups(const Text& folder) override {
    rotations.push_back(Utf8(folder));
    if (rotate_fault) rotate_fault();
  }
  void ProcessExchangeFiles(const Text& folder) override {
    ticks.push_back(Utf8(folder));
    if (tick_fault) tick_fault();
  }

  std::set<std::string> folders{"D:\\Viewer\\Filemk"};
  std::set<std::string> files{"C:\\Apps\\TavikFM\\tavik.fp5"};
  std::vector<std::string> rotations;
  std::vector<std::string> ticks;
  std::function<void()> rotate_fault;
  std::function<void()> tick_fault;
};

class FakeStore final : public SettingsStore {
 public:
  Text ReadSetting(TextView application, TextView section, TextView key,
                   TextView default_value) override {
    if (read_fault) read_fault();
    reads.push_back(Utf8(key));
    const auto it = values.find(Key(application, section, key));
    return it != values.end() ? U(it->second.c_str()) : Text(default_value);
  }
  bool WriteSetting(TextView application, TextView section, TextView key, TextView value) override {
    values[Key(application, section, key)] = Utf8(value);
    writes.push_back(Utf8(key) + "=" + Utf8(value));
    return true;
  }
  static std::string Key(TextView application, TextView section, TextView key) {
    return Utf8(application) + "\\" + Utf8(section) + "\\" + Utf8(key);
  }
  void Set(const char* application, const char* key, const char* value) {
    values[std::string(application) + "\\Settings\\" + key] = value;
  }
  std::string Get(const char* application, const char* key) const {
    const auto it = values.find(std::string(application) + "\\Settings\\" + key);
    return it != values.end() ? it->second : "<absent>";
  }

  std::map<std::string, std::string> values;
  std::vector<std::string> reads;
  std::vector<std::string> writes;
  std::function<void()> read_fault;
};

class MainFormTest : public ::testing::Test {
 protected:
  MainFormTest() { store.Set("TavikView", "Folda", "D:\\Viewer"); }

  FakeWindow window;
  FakeServices services;
  FakeStore store;
  ProgramValues values;
  MainForm form{window, services, store, values};
};

using Calls = std::vector<std::string>;

TEST_F(MainFormTest, ANormalStartRunsTheLoadSequenceInOrder) {
  form.Form_Load();
  EXPECT_EQ(window.calls, (Calls{"tray add",
                                 "open C:\\Apps\\TavikFM\\tavik.fp5 in C:\\Apps\\TavikFM",
                                 "timer 1000", "show", "check1 clear"}));
  EXPECT_EQ(services.rotations, (Calls{"D:\\Viewer\\Filemk"}));
  EXPECT_EQ(store.reads, (Calls{"Folda", "KosinTime", "Visible"}));
  EXPECT_TRUE(store.writes.empty());
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(form.state(), FormState::Running);
  EXPECT_EQ(Utf8(values.ExchangeFolder), "D:\\Viewer\\Filemk");
  EXPECT_EQ(values.TickInterval, 1000);
}

TEST_F(MainFormTest, RotationComesBeforeTheTimerStarts) {
  services.rotate_fault = [this] { EXPECT_EQ(window.interval_, 0); };
  form.Form_Load();
  EXPECT_EQ(window.interval_, 1000);
}

struct FoldaCase {
  const char* name;
  std::optional<const char*> folda;  // nullopt: no "Folda" entry
  const char* exchange_folder;
};

class ExchangeFolderFromFolda : public ::testing::TestWithParam<FoldaCase> {};

TEST_P(ExchangeFolderFromFolda, IsFoldaFollowedByFilemk) {
  FakeWindow window;
  FakeServices services;
  FakeStore store;
  ProgramValues values;
  if (GetParam().folda) store.Set("TavikView", "Folda", *GetParam().folda);
  MainForm form(window, services, store, values);
  form.Form_Load();
  EXPECT_EQ(Utf8(values.ExchangeFolder), GetParam().exchange_folder) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Load, ExchangeFolderFromFolda,
    ::testing::Values(
        FoldaCase{"a plain folder", "D:\\Exchange", "D:\\Exchange\\Filemk"},
        FoldaCase{"no entry gives the program folder", std::nullopt, "C:\\Apps\\TavikFM\\Filemk"},
        FoldaCase{"a trailing backslash doubles", "D:\\", "D:\\\\Filemk"},
        FoldaCase{"an empty value gives just the suffix", "", "\\Filemk"},
        FoldaCase{"Japanese folder names pass unchanged", "D:\\患者ﾃﾞｰﾀ", "D:\\患者ﾃﾞｰﾀ\\Filemk"}),
    [](const auto& row) { return "Case" + std::to_string(row.index); });

// One row per way the load sequence can stop short.
struct FailureCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> settings;  // TavikFM key, value
  bool exchange_folder_exists;
  bool database_file_exists;
  const char* message;
  Calls window_calls;
  bool rotated;
  FormState state;
};

class LoadFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(LoadFailure, ShowsItsMessageAndLeavesTheProgramInTheTray) {
  const FailureCase& c = GetParam();
  FakeWindow window;
  FakeServices services;
  FakeStore store;
  ProgramValues values;
  store.Set("TavikView", "Folda", "D:\\Viewer");
  for (const auto& [key, value] : c.settings) store.Set("TavikFM", key, value);
  if (!c.exchange_folder_exists) services.folders.clear();
  if (!c.database_file_exists) services.files.clear();
  MainForm form(window, services, store, values);
  form.Form_Load();
  EXPECT_EQ(window.messages, (Calls{c.message})) << c.name;
  EXPECT_EQ(window.calls, c.window_calls) << c.name;
  EXPECT_EQ(!services.rotations.empty(), c.rotated) << c.name;
  EXPECT_EQ(form.state(), c.state) << c.name;
  EXPECT_FALSE(window.visible_) << c.name;
  EXPECT_FALSE(window.check1_) << c.name;
}

const char* const kL6 = "データ交信フォルダが見つかりません。TavikViewの設定を確かめて下さい。";
const char* const kL7 = "ﾌｧｲﾙﾒｰｶｰのﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙが見つかりません";
const char* const kTypeMismatch13 = "ｴﾗｰ: '13' - 型が一致しません。.";
const char* const kOverflow6 = "ｴﾗｰ: '6' - オーバーフローしました。.";

INSTANTIATE_TEST_SUITE_P(
    Load, LoadFailure,
    ::testing::Values(
        FailureCase{"missing exchange folder", {}, false, true, kL6,
                    {"tray add", "message"}, false, FormState::Degraded},
        FailureCase{"missing database file", {}, true, false, kL7,
                    {"tray add", "message"}, false, FormState::Degraded},
        FailureCase{"both missing: the folder is reported", {}, false, false, kL6,
                    {"tray add", "message"}, false, FormState::Degraded},
        FailureCase{"KosinTime not a number", {{"KosinTime", "abc"}}, true, true, kTypeMismatch13,
                    {"tray add", "message"}, false, FormState::Degraded},
        FailureCase{"KosinTime empty", {{"KosinTime", ""}}, true, true, kTypeMismatch13,
                    {"tray add", "message"}, false, FormState::Degraded},
        FailureCase{"KosinTime beyond 32 bits", {{"KosinTime", "99999999999"}}, true, true,
                    kOverflow6, {"tray add", "message"}, false, FormState::Degraded},
        FailureCase{"Visible not a number", {{"Visible", "yes"}}, true, true, kTypeMismatch13,
                    {"tray add", "message"}, false, FormState::Degraded},
        FailureCase{"Visible beyond 16 bits", {{"Visible", "40000"}}, true, true, kOverflow6,
                    {"tray add", "message"}, false, FormState::Degraded},
        FailureCase{"a bad setting is found before the missing folder",
                    {{"KosinTime", "x"}}, false, false, kTypeMismatch13,
                    {"tray add", "message"}, false, FormState::Degraded}),
    [](const auto& row) { return "Case" + std::to_string(row.index); });

TEST_F(MainFormTest, AnErrorInTheRotationEndsTheSequenceBeforeTheTimer) {
  services.rotate_fault = [] { throw ProgramError(53, U("ファイルが見つかりません。")); };
  form.Form_Load();
  EXPECT_EQ(window.messages, (Calls{"ｴﾗｰ: '53' - ファイルが見つかりません。."}));
  EXPECT_EQ(window.interval_, 0);
  EXPECT_EQ(form.state(), FormState::Degraded);
  EXPECT_EQ(form.last_step(), LoadStep::OpenDatabaseFile);
}

TEST_F(MainFormTest, AnErrorWithoutANumberIsReportedAsAnInvalidCall) {
  store.read_fault = [] { throw std::runtime_error("store gone"); };
  form.Form_Load();
  EXPECT_EQ(window.messages, (Calls{"ｴﾗｰ: '5' - プロシージャの呼び出し、または引数が不正です。."}));
  EXPECT_EQ(window.calls.front(), "tray add");
  EXPECT_EQ(form.state(), FormState::Degraded);
}

TEST_F(MainFormTest, AnExchangeFolderThatIsAFilePassesTheDirectoryQuery) {
  services.folders.clear();
  services.files.insert("D:\\Viewer\\Filemk");
  form.Form_Load();
  EXPECT_TRUE(window.messages.empty());
  EXPECT_EQ(form.state(), FormState::Running);
}

TEST_F(MainFormTest, TheDatabaseFileIsLookedForInTheProgramFolderOnly) {
  services.files = {"D:\\Viewer\\tavik.fp5"};
  form.Form_Load();
  EXPECT_EQ(window.messages, (Calls{kL7}));
}

TEST_F(MainFormTest, LoadRunsOnlyOnce) {
  form.Form_Load();
  form.Form_Load();
  EXPECT_EQ(services.rotations.size(), 1u);
}

struct IntervalCase {
  const char* stored;  // nullptr: no entry
  std::int32_t interval;
};

class StartupInterval : public ::testing::TestWithParam<IntervalCase> {};

TEST_P(StartupInterval, IsTheStoredValueBroughtInto300To60000) {
  FakeWindow window;
  FakeServices services;
  FakeStore store;
  ProgramValues values;
  store.Set("TavikView", "Folda", "D:\\Viewer");
  if (GetParam().stored != nullptr) store.Set("TavikFM", "KosinTime", GetParam().stored);
  MainForm form(window, services, store, values);
  form.Form_Load();
  EXPECT_TRUE(window.messages.empty()) << (GetParam().stored ? GetParam().stored : "<absent>");
  EXPECT_EQ(window.interval_, GetParam().interval);
  EXPECT_EQ(values.TickInterval, GetParam().interval);
}

INSTANTIATE_TEST_SUITE_P(Load, StartupInterval,
                         ::testing::Values(IntervalCase{nullptr, 1000}, IntervalCase{"1000", 1000},
                                           IntervalCase{"300", 300}, IntervalCase{"299", 300},
                                           IntervalCase{"0", 300}, IntervalCase{"-1", 300},
                                           IntervalCase{"-2147483648", 300},
                                           IntervalCase{"2500", 2500},
                                           IntervalCase{"60000", 60000},
                                           IntervalCase{"60001", 60000},
                                           IntervalCase{"2147483647", 60000},
                                           IntervalCase{" 750 ", 750}),
                         [](const auto& row) { return "Case" + std::to_string(row.index); });

TEST_F(MainFormTest, AnOutOfRangeIntervalIsAlsoBroughtInWhenTheStartStopsShort) {
  store.Set("TavikFM", "KosinTime", "0");
  services.folders.clear();
  form.Form_Load();
  EXPECT_EQ(values.TickInterval, 300);
  EXPECT_EQ(window.interval_, 0);
}

struct VisibleCase {
  const char* stored;  // nullptr: no entry
  bool shown;
  bool check1;
};

class StartupVisibility : public ::testing::TestWithParam<VisibleCase> {};

TEST_P(StartupVisibility, FollowsTheDoNotShowFlag) {
  FakeWindow window;
  FakeServices services;
  FakeStore store;
  ProgramValues values;
  store.Set("TavikView", "Folda", "D:\\Viewer");
  if (GetParam().stored != nullptr) store.Set("TavikFM", "Visible", GetParam().stored);
  MainForm form(window, services, store, values);
  form.Form_Load();
  const char* stored = GetParam().stored ? GetParam().stored : "<absent>";
  EXPECT_EQ(window.visible_, GetParam().shown) << stored;
  EXPECT_EQ(window.check1_, GetParam().check1) << stored;
}

INSTANTIATE_TEST_SUITE_P(Load, StartupVisibility,
                         ::testing::Values(VisibleCase{nullptr, true, false},
                                           VisibleCase{"0", true, false},
                                           VisibleCase{"1", false, true},
                                           VisibleCase{"2", false, true},
                                           VisibleCase{"-1", false, true}),
                         [](const auto& row) { return "Case" + std::to_string(row.index); });

// "Visible" after a start and an exit: (stored before, degraded start,
// user's tick between, stored after).
struct RoundTripCase {
  const char* name;
  const char* stored;
  bool degraded;
  std::optional<bool> user_ticks;
  const char* written;
};

class VisibleRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(VisibleRoundTrip, WritesTheCheckBoxAtExit) {
  const RoundTripCase& c = GetParam();
  FakeWindow window;
  FakeServices services;
  FakeStore store;
  ProgramValues values;
  store.Set("TavikView", "Folda", "D:\\Viewer");
  if (c.stored != nullptr) store.Set("TavikFM", "Visible", c.stored);
  if (c.degraded) services.files.clear();
  MainForm form(window, services, store, values);
  form.Form_Load();
  if (c.user_ticks) window.TickCheck1(*c.user_ticks);
  form.Form_QueryUnload();
  form.Form_Unload();
  EXPECT_EQ(store.Get("TavikFM", "Visible"), c.written) << c.name;
  EXPECT_EQ(store.writes.size(), 1u) << c.name;
  EXPECT_EQ(window.calls.back(), "tray delete") << c.name;
  EXPECT_EQ(form.state(), FormState::Ended) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Exit, VisibleRoundTrip,
    ::testing::Values(
        RoundTripCase{"nothing stored, nothing changed", nullptr, false, std::nullopt, "0"},
        RoundTripCase{"hidden start keeps hidden", "1", false, std::nullopt, "1"},
        RoundTripCase{"shown start, user ticks the box", "0", false, true, "1"},
        RoundTripCase{"hidden start, user clears the box", "1", false, false, "0"},
        RoundTripCase{"other non-zero values come back as 1", "7", false, std::nullopt, "1"},
        RoundTripCase{"a degraded start never set the box, so 0", "1", true, std::nullopt, "0"},
        RoundTripCase{"a degraded start, user ticks the box", "1", true, true, "1"},
        RoundTripCase{"a bad setting start writes 0 too", "x", false, std::nullopt, "0"}),
    [](const auto& row) { return "Case" + std::to_string(row.index); });

TEST_F(MainFormTest, UnloadRunsOnceEvenWhenCalledAgain) {
  form.Form_Load();
  form.Form_QueryUnload();
  form.Form_Unload();
  form.Form_QueryUnload();
  form.Form_Unload();
  EXPECT_EQ(store.writes, (Calls{"Visible=0"}));
  EXPECT_EQ(std::count(window.calls.begin(), window.calls.end(), "tray delete"), 1);
}

TEST_F(MainFormTest, UnloadWithoutQueryUnloadWritesTheLoadedFlag) {
  store.Set("TavikFM", "Visible", "1");
  form.Form_Load();
  form.Form_Unload();
  EXPECT_EQ(store.Get("TavikFM", "Visible"), "1");
}

TEST_F(MainFormTest, ATickRunsTheIntakeOnTheCurrentExchangeFolder) {
  form.Form_Load();
  form.Timer1_Timer();
  values.ExchangeFolder = U("E:\\Picked");
  form.Timer1_Timer();
  EXPECT_EQ(services.ticks, (Calls{"D:\\Viewer\\Filemk", "E:\\Picked"}));
}

struct TickFaultCase {
  const char* name;
  std::function<void()> fault;
};

class TickFault : public ::testing::TestWithParam<TickFaultCase> {};

TEST_P(TickFault, IsDroppedSilentlyAndTheNextTickRuns) {
  FakeWindow window;
  FakeServices services;
  FakeStore store;
  ProgramValues values;
  store.Set("TavikView", "Folda", "D:\\Viewer");
  MainForm form(window, services, store, values);
  form.Form_Load();
  services.tick_fault = GetParam().fault;
  EXPECT_NO_THROW(form.Timer1_Timer()) << GetParam().name;
  services.tick_fault = nullptr;
  form.Timer1_Timer();
  EXPECT_EQ(services.ticks.size(), 2u) << GetParam().name;
  EXPECT_TRUE(window.messages.empty()) << GetParam().name;
  EXPECT_FALSE(form.InTick()) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Tick, TickFault,
    ::testing::Values(
        TickFaultCase{"a program error", [] { throw ProgramError(5, U("x")); }},
        TickFaultCase{"a standard exception", [] { throw std::runtime_error("db"); }},
        TickFaultCase{"out of memory", [] { throw std::bad_alloc(); }},
        TickFaultCase{"anything at all", [] { throw 42; }}),
    [](const auto& row) { return "Case" + std::to_string(row.index); });

TEST_F(MainFormTest, ATickThatArrivesDuringATickIsDropped) {
  form.Form_Load();
  int nested = 0;
  services.tick_fault = [&] {
    if (nested++ == 0) form.Timer1_Timer();
  };
  form.Timer1_Timer();
  EXPECT_EQ(services.ticks.size(), 1u);
  form.Timer1_Timer();
  EXPECT_EQ(services.ticks.size(), 2u);
}

TEST_F(MainFormTest, NoTickRunsAfterUnload) {
  form.Form_Load();
  form.Form_Unload();
  form.Timer1_Timer();
  EXPECT_TRUE(services.ticks.empty());
  EXPECT_EQ(window.interval_, 0);
}

TEST_F(MainFormTest, HideAndTrayDoubleClickMoveBetweenTheRunningStates) {
  form.Form_Load();
  form.cmdHide_Click();
  EXPECT_FALSE(window.visible_);
  form.Form_MouseDown(4, 515 * 15.0, 15.0);
  EXPECT_TRUE(window.visible_);
  EXPECT_FALSE(window.check1_);
  EXPECT_EQ(form.HideAtStartup(), 0);
  EXPECT_EQ(form.state(), FormState::Running);
}

TEST_F(MainFormTest, TrayNotificationsWorkInTheDegradedState) {
  services.folders.clear();
  form.Form_Load();
  window.calls.clear();
  form.Form_MouseDown(4, 513 * 15.0, 15.0);
  form.Form_MouseDown(4, 516 * 15.0, 15.0);
  form.Form_MouseDown(4, 515 * 15.0, 15.0);
  EXPECT_EQ(window.calls, (Calls{"beep", "popup", "show"}));
}

TEST(ErrorTrapMessageTest, JoinsNumberAndDescriptionAsTheUserReadsThem) {
  EXPECT_EQ(Utf8(ErrorTrapMessage(13, u"型が一致しません。")), "ｴﾗｰ: '13' - 型が一致しません。.");
  EXPECT_EQ(Utf8(ErrorTrapMessage(6, u"オーバーフローしました。")), "ｴﾗｰ: '6' - オーバーフローしました。.");
  EXPECT_EQ(Utf8(ErrorTrapMessage(-1, u"")), "ｴﾗｰ: '-1' - .");
}

TEST(AppTextsTest, StartupMessagesAreTheProgramsOwn) {
  EXPECT_EQ(Utf8(kExchangeFolderMissing), kL6);
  EXPECT_EQ(Utf8(kDatabaseFileMissing), kL7);
  EXPECT_EQ(Utf8(Text(kProgramTitle) + Text(kAlreadyRunningSuffix)), "TavikFM は既に起動されています");
}

}  // namespace
}  // namespace tavik
