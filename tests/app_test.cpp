// The main window's decisions without windows, the tray icon's mouse
// messages, and the layout's twips.
#include <functional>
#include <new>
#include <set>
#include <stdexcept>

#include "app/app_controller.h"
#include "common/program_error.h"
#include "common/twips.h"
#include "intake/patient_store.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

// The window, the file system (folders and files that exist; a listing finds
// nothing) and the patient table, every call in one log.
struct Fake final : MainWindowView, FileSystem, PatientStore {
  void AddTrayIcon() override { Note("tray add"); }
  void RemoveTrayIcon() override { Note("tray delete"); }
  void SetVisible(bool visible) override { Note(visible ? "show" : "hide"); }
  void SetStartHiddenBox(bool checked) override { Note(checked ? "ticked" : "clear"); }
  bool StartHiddenBox() const override { return start_hidden_box; }
  void SetIntakeInterval(std::int32_t ms) override { Note("timer " + std::to_string(ms)); }
  void ShowMessage(const Text& text) override { Note("message " + Utf8(text)); }
  void OpenDocument(const Text& path, const Text& folder) override { Note("open " + Utf8(path + u" in " + folder)); }
  void Beep() override { Note("beep"); }
  void ShowTrayMenu() override { Note("menu"); }
  unsigned WindowsVersion() const override { return windows_version; }
  bool ShowHelp(const Text& file) override { return Note("help " + Utf8(file)), help_works; }
  bool RaiseHelpWindow() override { return help_window_open && (Note("help window raised"), true); }
  void OpenHelpWindow(HelpFile help) override { Note("help window on " + Utf8(help.topics.at(0).title)); }
  bool SaveStartupShortcut() override { return shortcut_works; }
  std::vector<Text> List(const Text& folder, const Text& pattern) override {
    Note("list " + Utf8(folder + u"\\" + pattern));
    if (fault) fault();
    return {};
  }
  ReadStatus ReadAll(const Text& path, std::uint64_t, std::string& bytes) override {
    Note("read " + Utf8(path));
    if (!file_bytes) return ReadStatus::Missing;
    bytes = *file_bytes;
    return ReadStatus::Ok;
  }
  bool Delete(const Text&) override { return false; }
  bool Rename(const Text&, const Text&) override { return false; }
  bool FolderExists(const Text& path) override { return folders.count(Utf8(path)) != 0; }
  bool FileExists(const Text& path) override { return files.count(Utf8(path)) != 0; }
  StoreAction StorePatient(const PatientRecord&) override { return StoreAction::Inserted; }
  void Note(const std::string& line) { log += (log.empty() ? "" : " / ") + line; }

  std::string log;
  bool start_hidden_box = false, help_works = true, shortcut_works = true, help_window_open = false;
  unsigned windows_version = 6;
  std::optional<std::string> file_bytes;
  std::set<std::string> folders{"D:\\V\\Filemk", "C:\\App\\Filemk", "C:\\Filemk", "D:\\\\Filemk", "\\Filemk"};
  std::set<std::string> files{"C:\\App\\tavik.fp5"};
  std::function<void()> fault;
};

struct Program {
  Fake fake;
  test::MemorySettingsStore store;
  ProgramValues values;
  IntakeCycle intake{fake, fake};
  ProgramServices services{u"C:\\App", store, fake, intake, values};
  AppController app{fake, services};

  explicit Program(const char* folda, const char* kosin_time = nullptr, const char* visible = nullptr) {
    if (folda != nullptr) store.WriteSetting(kViewerTitle, kSettingsSection, kKeyFolda, U(folda));
    if (kosin_time != nullptr) store.WriteSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, U(kosin_time));
    if (visible != nullptr) store.WriteSetting(kProgramTitle, kSettingsSection, kKeyVisible, U(visible));
  }
  Program& Started() {  // the log cleared
    app.Start();
    fake.log.clear();
    return *this;
  }
};

// The log of a start that ran to its end.
std::string StartLog(const std::string& exchange, const std::string& rest) {
  return "tray add / open C:\\App\\tavik.fp5 in C:\\App / list " + exchange + "\\*.bk2 / list " + exchange +
         "\\*.bak / " + rest;
}
const std::string kShown = StartLog("D:\\V\\Filemk", "timer 1000 / show / clear");
const std::string kHidden = StartLog("D:\\V\\Filemk", "timer 1000 / hide / ticked");
const std::string kRotationFails = "tray add / open C:\\App\\tavik.fp5 in C:\\App / list D:\\V\\Filemk\\*.bk2 / ";

struct LoadRow {
  const char *name, *folda, *kosin_time, *visible;
  std::function<void(Program&)> arrange;
  std::string log;
  std::int32_t tick_interval;
};

const LoadRow kLoadRows[] = {
    {"Visible 0 starts shown with the box clear", "D:\\V", nullptr, "0", nullptr, kShown, 1000},
    {"any Visible but 0 starts hidden with the box ticked", "D:\\V", "1000", "-1", nullptr, kHidden, 1000},
    {"no Folda gives the program folder", nullptr, nullptr, nullptr, nullptr,
     StartLog("C:\\App\\Filemk", "timer 1000 / show / clear"), 1000},
    {"a Folda ending in a backslash doubles it", "D:\\", nullptr, nullptr, nullptr,
     StartLog("D:\\\\Filemk", "timer 1000 / show / clear"), 1000},
    {"an empty Folda gives just the suffix", "", nullptr, nullptr, nullptr,
     StartLog("\\Filemk", "timer 1000 / show / clear"), 1000},
    {"a program folder at a drive's root is the root where the folder itself is used", nullptr, nullptr, nullptr,
     [](Program& p) {
       p.services.program_folder = u"C:";
       p.fake.files = {"C:\\tavik.fp5"};
     },
     "tray add / open C:\\tavik.fp5 in C:\\ / list C:\\Filemk\\*.bk2 / list C:\\Filemk\\*.bak / timer 1000 / show / "
     "clear",
     1000},
    {"an interval below the bounds is kept but ticks at 300", "D:\\V", "150", nullptr, nullptr,
     StartLog("D:\\V\\Filemk", "timer 300 / show / clear"), 150},
    {"an interval above the bounds is kept but ticks at 60000", "D:\\V", "60001", nullptr, nullptr,
     StartLog("D:\\V\\Filemk", "timer 60000 / show / clear"), 60001},
    {"a missing exchange folder stops with its message", "D:\\V", nullptr, "1", [](Program& p) { p.fake.folders = {}; },
     "tray add / message データ交信フォルダが見つかりません。TavikViewの設定を確かめて下さい。", 1000},
    {"a database file in the viewer's folder only is missing", "D:\\V", nullptr, nullptr,
     [](Program& p) { p.fake.files = {"D:\\V\\tavik.fp5"}; },
     "tray add / message ﾌｧｲﾙﾒｰｶｰのﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙが見つかりません", 1000},
    {"a KosinTime that is no number stops with error 13", "D:\\V", "abc", nullptr, nullptr,
     "tray add / message ｴﾗｰ: '13' - 型が一致しません。.", 1000},
    {"a Visible beyond 16 bits stops with error 6", "D:\\V", "2000", "32768", nullptr,
     "tray add / message ｴﾗｰ: '6' - オーバーフローしました。.", 2000},
    {"an error in the rotation ends the sequence before the timer", "D:\\V", nullptr, nullptr,
     [](Program& p) { p.fake.fault = [] { throw ProgramError(53, u"ファイルが見つかりません。"); }; },
     kRotationFails + "message ｴﾗｰ: '53' - ファイルが見つかりません。.", 1000},
    {"running out of memory is error 7", "D:\\V", nullptr, nullptr,
     [](Program& p) { p.fake.fault = [] { throw std::bad_alloc(); }; },
     kRotationFails + "message ｴﾗｰ: '7' - メモリが不足しています。.", 1000},
    {"an error without a number is error 5", "D:\\V", nullptr, nullptr,
     [](Program& p) { p.fake.fault = [] { throw std::runtime_error("x"); }; },
     kRotationFails + "message ｴﾗｰ: '5' - プロシージャの呼び出し、または引数が不正です。.", 1000},
};

TEST(StartSequence, RunsItsStepsInOrderOnce) {
  for (const LoadRow& row : kLoadRows) {
    Program p(row.folda, row.kosin_time, row.visible);
    if (row.arrange) row.arrange(p);
    p.app.Start();
    p.app.Start();
    EXPECT_EQ(p.fake.log, row.log) << row.name;
    EXPECT_EQ(p.values.tick_interval, row.tick_interval) << row.name;
  }
}

// `visible`: stored before the start; `stored`: "Visible" after the exit.
struct ExitRow {
  const char* name;
  const char* visible;
  bool database_missing;
  std::optional<bool> user_ticks;
  bool store_fails;
  const char* stored;
};

const ExitRow kExitRows[] = {
    {"a hidden start writes 1 back", "1", false, std::nullopt, false, "1"},
    {"the user ticking the box writes 1", "0", false, true, false, "1"},
    {"a degraded start never set the box so it writes 0", "1", true, std::nullopt, false, "0"},
    {"a store that cannot be written still lets the icon go", "1", false, std::nullopt, true, "1"},
};

TEST(Exit, WritesVisibleFromTheBoxStopsTheTimerAndRemovesTheIconOnce) {
  for (const ExitRow& row : kExitRows) {
    Program p("D:\\V", nullptr, row.visible);
    if (row.database_missing) p.fake.files.clear();
    p.app.Start();
    p.fake.start_hidden_box = row.user_ticks.value_or(p.fake.log.find("ticked") != std::string::npos);
    p.store.fail_writes = row.store_fails;
    p.fake.log.clear();
    p.app.RememberStartHidden();
    p.app.Shutdown();
    p.app.Shutdown();
    p.app.OnTick();
    EXPECT_EQ(p.fake.log, "timer 0 / tray delete") << row.name;
    EXPECT_EQ(Utf8(p.store.Stored(kProgramTitle, kKeyVisible).value_or(u"<none>")), row.stored) << row.name;
  }
}

// Two ticks, the first failing, the second in a changed exchange folder.
void TwoTicks(Program& p, std::function<void()> fault) {
  p.fake.fault = std::move(fault);
  p.app.OnTick();
  p.fake.fault = nullptr;
  p.values.exchange_folder = u"E:\\P";
  p.app.OnTick();
}
const char* const kTwoTicks = "list D:\\X\\Filemk\\*.fmr / list E:\\P\\*.fmr / list E:\\P\\*.req";

struct HandlerRow {
  const char* name;
  std::function<void(Program&)> act;
  std::string log;
};

// The tray icon's mouse messages (WM_LBUTTONDOWN 0x201 and so on).
const HandlerRow kHandlerRows[] = {
    {"a tray left press beeps", [](Program& p) { p.app.OnTrayNotification(0x201); }, "beep"},
    {"a tray double click shows the window", [](Program& p) { p.app.OnTrayNotification(0x203); }, "show"},
    {"a tray right press opens the menu", [](Program& p) { p.app.OnTrayNotification(0x204); }, "menu"},
    {"a tray release, a move or a middle press does nothing",
     [](Program& p) {
       for (unsigned message : {0x200u, 0x202u, 0x205u, 0x207u, 0x208u, 0x209u, 0x206u, 0u}) {
         p.app.OnTrayNotification(message);
       }
     },
     ""},
    {"hiding hides the window", [](Program& p) { p.app.HideToTray(); }, "hide"},
    {"a saved shortcut is reported", [](Program& p) { p.app.AddStartupShortcut(); }, "message ｽﾀｰﾄｱｯﾌﾟに登録しました"},
    {"a failed shortcut is reported", [](Program& p) { p.fake.shortcut_works = false, p.app.AddStartupShortcut(); },
     "message ｽﾀｰﾄｱｯﾌﾟ登録に失敗しました"},
    {"help before Windows 10 opens the program folder's help file through Windows",
     [](Program& p) { p.app.ShowHelpContents(); }, "help C:\\App\\tavikfm.hlp"},
    {"help that cannot be called is reported", [](Program& p) { p.fake.help_works = false, p.app.ShowHelpContents(); },
     "help C:\\App\\tavikfm.hlp / message DLL エントリ ポイント WinHelpA が user32 に見つかりません。"},
    {"help on Windows 10 brings its open window forward",
     [](Program& p) { p.fake.windows_version = 10, p.fake.help_window_open = true, p.app.ShowHelpContents(); },
     "help window raised"},
    {"help on Windows 10 opens the file in the program's window",
     [](Program& p) {
       p.fake.windows_version = 10, p.fake.file_bytes = test::ReadFile(U(TAVIK_HELP_TEST_DIR "/test/tavikfm.hlp"));
       p.app.ShowHelpContents();
     },
     "read C:\\App\\tavikfm.hlp / help window on 目次（テスト）"},
    {"help on Windows 10 without its file names the file",
     [](Program& p) { p.fake.windows_version = 10, p.app.ShowHelpContents(); },
     "read C:\\App\\tavikfm.hlp / message ヘルプファイルを開けません。\r\nC:\\App\\tavikfm.hlp"},
    {"whatever a tick throws is dropped and the next tick runs in the current folder",
     [](Program& p) { TwoTicks(p, [] { throw 42; }); }, kTwoTicks},
    {"a tick arriving during a tick is dropped", [](Program& p) { TwoTicks(p, [&p] { p.app.OnTick(); }); },
     "list D:\\X\\Filemk\\*.fmr / list D:\\X\\Filemk\\*.req / list E:\\P\\*.fmr / list E:\\P\\*.req"},
};

TEST(Handler, MakesTheCallsOfItsRowAlsoAfterADegradedStart) {
  for (const HandlerRow& row : kHandlerRows) {
    Program p("D:\\X");
    row.act(p.Started());
    EXPECT_EQ(p.fake.log, row.log) << row.name;
  }
}

// Layout twips as pixels at the screen's resolution.
TEST(LayoutTwips, BecomePixels) {
  const struct {
    const char* name;
    int twips, dpi, pixels;
  } kRows[] = {
      {"the main window is 308 pixels wide at 120 dpi", 3696, 120, 308},
      {"half a pixel goes up", 30, 72, 2},
      {"a hair under half goes down", 709, 131, 64},
  };
  for (const auto& row : kRows) EXPECT_EQ(TwipsToPixels(row.twips, row.dpi), row.pixels) << row.name;
}

}  // namespace
}  // namespace tavik
