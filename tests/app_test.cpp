// frmMain's decisions without windows, and the tray's notifications and the
// layout's twips as Form_MouseDown and the windows take them.
#include <functional>
#include <new>
#include <set>
#include <stdexcept>

#include "app/main_form.h"
#include "app/tray_decoding.h"
#include "common/program_error.h"
#include "common/twips.h"
#include "intake/patient_store.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

// frmMain's decisions against a fake window and file system under the real
// intake cycle: every call on the window and every listing, in one log.

// The window, the file system (folders and files that exist; a listing finds
// nothing) and the patient table, every call in one log.
struct Fake final : MainWindowPort, FileSystem, PatientStore {
  void AddTrayIcon() override { Note("tray add"); }
  void RemoveTrayIcon() override { Note("tray delete"); }
  void SetVisible(bool visible) override { Note(visible ? "show" : "hide"); }
  void SetCheck1(bool checked) override { Note(checked ? "ticked" : "clear"); }
  bool Check1() const override { return check1; }
  void SetTimerInterval(std::int32_t ms) override { Note("timer " + std::to_string(ms)); }
  void ShowMessage(const Text& text) override { Note("message " + Utf8(text)); }
  void OpenDocument(const Text& path, const Text& folder) override { Note("open " + Utf8(path + u" in " + folder)); }
  void Beep() override { Note("beep"); }
  void ShowPopupMenu() override { Note("popup"); }
  bool ShowHelp(const Text& file) override { return Note("help " + Utf8(file)), help_works; }
  bool SaveStartupShortcut() override { return shortcut_works; }
  std::vector<Text> List(const Text& folder, const Text& pattern) override {
    Note("list " + Utf8(folder + u"\\" + pattern));
    if (fault) fault();
    return {};
  }
  ReadStatus ReadAll(const Text&, std::uint64_t, std::string&) override { return ReadStatus::Missing; }
  bool Delete(const Text&) override { return false; }
  bool Rename(const Text&, const Text&) override { return false; }
  bool FolderExists(const Text& path) override { return folders.count(Utf8(path)) != 0; }
  bool FileExists(const Text& path) override { return files.count(Utf8(path)) != 0; }
  StoreAction StorePatient(const PatientRecord&) override { return StoreAction::Inserted; }
  void Note(const std::string& line) { log += (log.empty() ? "" : " / ") + line; }

  std::string log;
  bool check1 = false, help_works = true, shortcut_works = true;
  std::set<std::string> folders{"D:\\V\\Filemk", "C:\\App\\Filemk", "D:\\\\Filemk", "\\Filemk"};
  std::set<std::string> files{"C:\\App\\tavik.fp5"};
  std::function<void()> fault;
};

struct Program {
  Fake fake;
  test::MemorySettingsStore store;
  ProgramValues values;
  IntakeCycle intake{fake, fake};
  ProgramParts parts{u"C:\\App", store, fake, intake, values};
  MainForm form{fake, parts};

  explicit Program(const char* folda, const char* kosin_time = nullptr, const char* visible = nullptr) {
    if (folda != nullptr) store.WriteSetting(kViewerTitle, kSettingsSection, kKeyFolda, U(folda));
    if (kosin_time != nullptr) store.WriteSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, U(kosin_time));
    if (visible != nullptr) store.WriteSetting(kProgramTitle, kSettingsSection, kKeyVisible, U(visible));
  }
  Program& Loaded() {  // the log cleared
    form.Form_Load();
    fake.log.clear();
    return *this;
  }
};

// The log of a start that ran to its end.
std::string Started(const std::string& exchange, const std::string& rest) {
  return "tray add / open C:\\App\\tavik.fp5 in C:\\App / list " + exchange + "\\*.bk2 / list " + exchange +
         "\\*.bak / " + rest;
}
const std::string kShown = Started("D:\\V\\Filemk", "timer 1000 / show / clear");
const std::string kHidden = Started("D:\\V\\Filemk", "timer 1000 / hide / ticked");
const std::string kRotationFails = "tray add / open C:\\App\\tavik.fp5 in C:\\App / list D:\\V\\Filemk\\*.bk2 / ";

struct LoadRow {
  const char *name, *folda, *kosin_time, *visible;
  std::function<void(Fake&)> arrange;
  std::string log;
  std::int32_t tick_interval;
};

const LoadRow kLoadRows[] = {
    {"Visible 0 starts shown with Check1 clear", "D:\\V", nullptr, "0", nullptr, kShown, 1000},
    {"Visible 1 starts hidden with Check1 ticked", "D:\\V", "1000", "1", nullptr, kHidden, 1000},
    {"any other Visible starts hidden too", "D:\\V", nullptr, "-1", nullptr, kHidden, 1000},
    {"no Folda gives the program folder", nullptr, nullptr, nullptr, nullptr,
     Started("C:\\App\\Filemk", "timer 1000 / show / clear"), 1000},
    {"a Folda ending in a backslash doubles it", "D:\\", nullptr, nullptr, nullptr,
     Started("D:\\\\Filemk", "timer 1000 / show / clear"), 1000},
    {"an empty Folda gives just the suffix", "", nullptr, nullptr, nullptr,
     Started("\\Filemk", "timer 1000 / show / clear"), 1000},
    {"an interval below the bounds is kept but ticks at 300", "D:\\V", "150", nullptr, nullptr,
     Started("D:\\V\\Filemk", "timer 300 / show / clear"), 150},
    {"an exchange folder that is a file passes the directory query", "D:\\V", nullptr, nullptr,
     [](Fake& f) { f.folders.clear(), f.files.insert("D:\\V\\Filemk"); }, kShown, 1000},
    {"a missing exchange folder stops with its message", "D:\\V", nullptr, "1", [](Fake& f) { f.folders = {}; },
     "tray add / message データ交信フォルダが見つかりません。TavikViewの設定を確かめて下さい。", 1000},
    {"a database file in the viewer's folder only is missing", "D:\\V", nullptr, nullptr,
     [](Fake& f) { f.files = {"D:\\V\\tavik.fp5"}; }, "tray add / message ﾌｧｲﾙﾒｰｶｰのﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙが見つかりません",
     1000},
    {"a KosinTime that is no number stops with error 13", "D:\\V", "abc", nullptr, nullptr,
     "tray add / message ｴﾗｰ: '13' - 型が一致しません。.", 1000},
    {"a KosinTime beyond 32 bits stops with error 6", "D:\\V", "99999999999", nullptr, nullptr,
     "tray add / message ｴﾗｰ: '6' - オーバーフローしました。.", 1000},
    {"an error in the rotation ends the sequence before the timer", "D:\\V", nullptr, nullptr,
     [](Fake& f) { f.fault = [] { throw ProgramError(53, u"ファイルが見つかりません。"); }; },
     kRotationFails + "message ｴﾗｰ: '53' - ファイルが見つかりません。.", 1000},
    {"running out of memory is error 7", "D:\\V", nullptr, nullptr,
     [](Fake& f) { f.fault = [] { throw std::bad_alloc(); }; },
     kRotationFails + "message ｴﾗｰ: '7' - メモリが不足しています。.", 1000},
    {"an error without a number is error 5", "D:\\V", nullptr, nullptr,
     [](Fake& f) { f.fault = [] { throw std::runtime_error("x"); }; },
     kRotationFails + "message ｴﾗｰ: '5' - プロシージャの呼び出し、または引数が不正です。.", 1000},
};

class LoadSequence : public testing::TestWithParam<LoadRow> {};

TEST_P(LoadSequence, RunsItsStepsInOrderOnce) {
  const LoadRow& row = GetParam();
  Program p(row.folda, row.kosin_time, row.visible);
  if (row.arrange) row.arrange(p.fake);
  p.form.Form_Load();
  p.form.Form_Load();
  EXPECT_EQ(p.fake.log, row.log);
  EXPECT_EQ(p.values.TickInterval, row.tick_interval);
}

INSTANTIATE_TEST_SUITE_P(MainForm, LoadSequence, testing::ValuesIn(kLoadRows), test::RowName<LoadRow>);

// `visible`: stored before the start; `stored`: "Visible" after the exit.
struct ExitRow {
  const char* name; const char* visible; bool database_missing; std::optional<bool> user_sets_check1; bool store_fails;
  const char* stored;
};

const ExitRow kExitRows[] = {
    {"nothing stored and nothing changed writes 0", nullptr, false, std::nullopt, false, "0"},
    {"a hidden start writes 1 back", "1", false, std::nullopt, false, "1"},
    {"the user ticking Check1 writes 1", "0", false, true, false, "1"},
    {"the user clearing Check1 writes 0", "1", false, false, false, "0"},
    {"a degraded start never set Check1 so it writes 0", "1", true, std::nullopt, false, "0"},
    {"a store that cannot be written still lets the icon go", "1", false, std::nullopt, true, "1"},
};

class Exit : public testing::TestWithParam<ExitRow> {};

TEST_P(Exit, WritesVisibleFromCheck1StopsTheTimerAndRemovesTheIconOnce) {
  const ExitRow& row = GetParam();
  Program p("D:\\V", nullptr, row.visible);
  if (row.database_missing) p.fake.files.clear();
  p.form.Form_Load();
  p.fake.check1 = row.user_sets_check1.value_or(p.fake.log.find("ticked") != std::string::npos);
  p.store.fail_writes = row.store_fails;
  p.fake.log.clear();
  p.form.Form_QueryUnload();
  p.form.Form_Unload();
  p.form.Form_Unload();
  p.form.Timer1_Timer();
  EXPECT_EQ(p.fake.log, "timer 0 / tray delete");
  EXPECT_EQ(Utf8(p.store.Stored(kProgramTitle, kKeyVisible).value_or(u"<none>")), row.stored);
}

INSTANTIATE_TEST_SUITE_P(MainForm, Exit, testing::ValuesIn(kExitRows), test::RowName<ExitRow>);

// Two ticks, the first failing, the second in a changed exchange folder.
void TwoTicks(Program& p, std::function<void()> fault) {
  p.fake.fault = std::move(fault);
  p.form.Timer1_Timer();
  p.fake.fault = nullptr;
  p.values.ExchangeFolder = u"E:\\P";
  p.form.Timer1_Timer();
}
const char* const kTwoTicks = "list D:\\X\\Filemk\\*.fmr / list E:\\P\\*.fmr / list E:\\P\\*.req";

struct HandlerRow { const char* name; std::function<void(Program&)> act; std::string log; };

const HandlerRow kHandlerRows[] = {
    {"a tray left press beeps", [](Program& p) { p.form.Form_MouseDown(4, 513 * 15.0, 15.0); }, "beep"},
    {"a tray double click shows the window", [](Program& p) { p.form.Form_MouseDown(4, 515 * 15.0, 15.0); }, "show"},
    {"a tray right press opens the popup", [](Program& p) { p.form.Form_MouseDown(4, 516 * 15.0, 15.0); }, "popup"},
    {"cmdHide hides the window", [](Program& p) { p.form.cmdHide_Click(); }, "hide"},
    {"a saved shortcut is reported", [](Program& p) { p.form.cmdStartUp_Click(); }, "message ｽﾀｰﾄｱｯﾌﾟに登録しました"},
    {"a failed shortcut is reported", [](Program& p) { p.fake.shortcut_works = false, p.form.cmdStartUp_Click(); },
     "message ｽﾀｰﾄｱｯﾌﾟ登録に失敗しました"},
    {"help opens the program folder's help file", [](Program& p) { p.form.mnuHelpIndex_Click(); },
     "help C:\\App\\tavikfm.hlp"},
    {"help that cannot be called is reported",
     [](Program& p) { p.fake.help_works = false, p.form.mnuHelpIndex_Click(); },
     "help C:\\App\\tavikfm.hlp / message DLL エントリ ポイント WinHelpA が user32 に見つかりません。"},
    {"a tick's program error is dropped and the next tick runs in the current folder",
     [](Program& p) { TwoTicks(p, [] { throw ProgramError(5, u"x"); }); }, kTwoTicks},
    {"anything else a tick throws is dropped", [](Program& p) { TwoTicks(p, [] { throw 42; }); }, kTwoTicks},
    {"a tick arriving during a tick is dropped", [](Program& p) { TwoTicks(p, [&p] { p.form.Timer1_Timer(); }); },
     "list D:\\X\\Filemk\\*.fmr / list D:\\X\\Filemk\\*.req / list E:\\P\\*.fmr / list E:\\P\\*.req"},
};

class Handler : public testing::TestWithParam<HandlerRow> {};

TEST_P(Handler, ActsAlsoAfterADegradedStart) {
  Program p("D:\\X");
  GetParam().act(p.Loaded());
  EXPECT_EQ(p.fake.log, GetParam().log);
}

INSTANTIATE_TEST_SUITE_P(MainForm, Handler, testing::ValuesIn(kHandlerRows), test::RowName<HandlerRow>);

// Tray notifications as Form_MouseDown gets them, and layout twips as
// pixels.

// `dpi`: the screen's resolution, 1440 / dpi twips a pixel.
struct DecodeRow { const char* name; int buttons; double x_twips; int dpi; TrayAction action; };

const DecodeRow kDecodeRows[] = {
    {"a left press on the icon beeps", 4, 513 * 15.0, 96, TrayAction::Beep},
    {"a left double click shows the window", 4, 515 * 15.0, 96, TrayAction::ShowWindow},
    {"a right press opens the popup", 4, 516 * 15.0, 96, TrayAction::PopupMenu},
    {"at 120 dpi a right press opens the popup", 4, 516 * 12.0, 120, TrayAction::PopupMenu},
    {"at 144 dpi a left press beeps", 4, 513 * 10.0, 144, TrayAction::Beep},
    {"at 72 dpi a double click shows the window", 4, 515 * 20.0, 72, TrayAction::ShowWindow},
    {"at 131 dpi ten twips make a pixel", 4, 513 * 10.0, 131, TrayAction::Beep},
    {"a release does nothing", 4, 514 * 15.0, 96, TrayAction::None},
    {"a middle press does nothing", 4, 519 * 15.0, 96, TrayAction::None},
    {"a left press on the window is no notification", 1, 513 * 15.0, 96, TrayAction::None},
    {"a right press on the window is no notification", 2, 516 * 15.0, 96, TrayAction::None},
    {"the middle button with another still decodes", 5, 516 * 15.0, 96, TrayAction::PopupMenu},
    {"a middle click inside the window is far below the codes", 4, 3696.0, 96, TrayAction::None},
    {"a fraction of a twip below a code still reads as it", 4, 7739.6, 96, TrayAction::PopupMenu},
    {"half a twip goes down to the even neighbour", 4, 7694.5, 96, TrayAction::None},
    {"half a twip goes up to the even neighbour", 4, 7695.5, 96, TrayAction::Beep},
    {"a screen without a resolution counts 15 twips a pixel", 4, 513 * 15.0, 0, TrayAction::Beep},
    {"above 1440 dpi a pixel is one twip", 4, 513.0, 2000, TrayAction::Beep},
};

class TrayMouseDown : public testing::TestWithParam<DecodeRow> {};

TEST_P(TrayMouseDown, Decodes) {
  const DecodeRow& row = GetParam();
  EXPECT_EQ(DecodeTrayMouseDown(row.buttons, row.x_twips, TwipsPerPixel(row.dpi)), row.action);
}

INSTANTIATE_TEST_SUITE_P(Tray, TrayMouseDown, testing::ValuesIn(kDecodeRows), test::RowName<DecodeRow>);

TEST(TrayMouseDownAtFractionalTwipsPerPixel, RoundsTheDivisorHalfToEven) {
  EXPECT_EQ(DecodeTrayMouseDown(4, 515 * 14.0, 14.5), TrayAction::ShowWindow);
  EXPECT_EQ(DecodeTrayMouseDown(4, 515 * 16.0, 15.5), TrayAction::ShowWindow);
  EXPECT_EQ(DecodeTrayMouseDown(4, 516.0, 0.4), TrayAction::None);
}

struct PixelRow { const char* name; int twips, dpi, pixels; };

const PixelRow kPixelRows[] = {
    {"the main window is 308 pixels wide at 120 dpi", 3696, 120, 308},  {"and 185 at 72 dpi", 3696, 72, 185},
    {"half a pixel goes up", 30, 72, 2}, {"less than half a pixel goes down", 7, 96, 0},
    {"a negative half goes away from zero", -30, 72, -2}, {"a hair under half goes down", 709, 131, 64},
};

class LayoutTwips : public testing::TestWithParam<PixelRow> {};

TEST_P(LayoutTwips, BecomePixels) { EXPECT_EQ(TwipsToPixels(GetParam().twips, GetParam().dpi), GetParam().pixels); }

INSTANTIATE_TEST_SUITE_P(Layout, LayoutTwips, testing::ValuesIn(kPixelRows), test::RowName<PixelRow>);

}  // namespace
}  // namespace tavik
