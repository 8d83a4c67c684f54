// The main window in this process, its shell calls recorded; then tavikFM.exe
// itself, watched from outside through its windows, the registry, its files
// and the patient table.
#include <windows.h>

#include <cstdlib>
#include <deque>
#include <new>
#include <tuple>

#include "app/help_pages.h"
#include "app/help_window_win32gui.h"
#include "app/main_window_win32gui.h"
#include "app/resource.h"
#include "common/wide_text_win32.h"
#include "dialogs/dialogs_win32gui.h"
#include "intake/patient_store.h"
#include "patient_file_writer.h"
#include "support/test_support.h"
#include "support/window_support_win32.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

// The shell, every call noted in `log`; NIM_ADD fails while the shell is
// not ready and for an icon already up, as it does. Also the patient table,
// which the files of these tests never reach. Only the test thread calls it.
class RecordingShell final : public DesktopShell, public PatientStore {
 public:
  StoreAction StorePatient(const PatientRecord&) override { return StoreAction::Inserted; }
  bool NotifyIcon(DWORD action, NOTIFYICONDATAA& given) override {
    const bool done = action == NIM_ADD ? !up && refusals-- <= 0 : up;
    if (done) up = action != NIM_DELETE;
    const char* const names[] = {"NIM_ADD", "NIM_MODIFY", "NIM_DELETE"};  // by their values, 0 to 2
    Note(names[action] + std::string(done ? "" : " refused"));
    record = given;
    return done;
  }
  void OpenDocument(HWND, const std::string& file, const std::string& folder) override {
    Note("open " + file + " in " + folder);
  }
  void Beep() override {
    Note("beep");
    if (beep_fails) throw std::bad_alloc();
  }
  unsigned WindowsVersion() override { return 6; }
  bool ShowHelp(HWND, const std::string& file) override { return Note("help " + file), true; }
  void ShowMessage(HWND, const Text& text) override { Note("message " + Utf8(text)); }
  void ShowPopupMenu(HWND, HMENU menu) override {
    std::string items;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
      wchar_t caption[64] = {};
      GetMenuStringW(menu, static_cast<UINT>(i), caption, 64, MF_BYPOSITION);
      items += (i > 0 ? "|" : "") + (caption[0] != 0 ? Utf8(TextFromWide(caption)) : "-");
    }
    Note("popup " + items);
  }
  void Note(const std::string& line) { log += (log.empty() ? "" : " / ") + line; }

  std::string log;
  bool up = false;  // false again when the shell restarts, its notification area empty
  NOTIFYICONDATAA record{};
  int refusals = 0;
  bool beep_fails = false;
};

// A file that the intake only renames: a tick has run once it is a backup.
void ExpectTicks(const Text& folder, const char* name) {
  test::WriteFile(folder + u"\\" + U(name) + u".fmr", "Fun=OTHER\r\n");
  test::WaitUntil("a tick", [&] { return test::PathExists(folder + u"\\" + U(name) + u".bak"); });
}

// "Folda" is the program folder, which holds tavik.fp5 and Filemk.
class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    MSG quit;  // the end of an earlier test's main window left WM_QUIT
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
  }
  HWND Start(const char* visible) {
    test::MakeFolder(root / u"Filemk");
    test::WriteFile(root / u"tavik.fp5", "");
    store.WriteSetting(kViewerTitle, kSettingsSection, kKeyFolda, root.path());
    store.WriteSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, u"300");
    store.WriteSetting(kProgramTitle, kSettingsSection, kKeyVisible, U(visible));
    EXPECT_TRUE(window.Create());
    return window.handle();
  }
  std::string Opened() { return "open " + Path(u"\\tavik.fp5") + " in " + Path(u""); }
  std::string Path(TextView name) { return Utf8(root.path() + Text(name)); }

  test::TempDir root;
  test::MemorySettingsStore store;
  ProgramValues values;
  RecordingShell shell;
  IntakeCycle intake{PlatformFileSystem(), shell};
  ProgramServices services{root.path(), store, PlatformFileSystem(), intake, values};
  MainWindow window{shell, services};
};

TEST_F(MainWindowTest, StartPutsUpTheTrayRecordOpensTheDatabaseShowsTheWindowAndTicks) {
  {
    RecordingShell other;
    MainWindow earlier(other, services);  // gone before this one: the class's icons outlive it
    earlier.Create();
  }
  HWND main = Start("0");
  EXPECT_EQ(shell.log, "NIM_ADD / " + Opened());
  const NOTIFYICONDATAA r = shell.record;
  // The first layout (88 bytes on 32-bit Windows), uID 1, message + icon + tip, WM_MBUTTONDOWN.
  EXPECT_EQ(std::make_tuple(r.cbSize, r.uID, r.uFlags, r.uCallbackMessage),
            std::make_tuple(sizeof(void*) == 4 ? 88u : 104u, 1u, 7u, 519u));
  EXPECT_TRUE(r.hWnd == main && r.hIcon != nullptr &&
              r.hIcon == reinterpret_cast<HICON>(GetClassLongPtrW(main, GCLP_HICON)));
  ICONINFO small{};
  EXPECT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongPtrW(main, GCLP_HICONSM)), &small));
  DeleteObject(small.hbmColor);
  DeleteObject(small.hbmMask);
  EXPECT_EQ(std::string(r.szTip, 64), std::string("TavikFM\0", 8) + std::string(56, ' '));
  EXPECT_TRUE(IsWindowVisible(main));
  ExpectTicks(root / u"Filemk", "a");
}

TEST_F(MainWindowTest, TabTakenFromTheMessageLoopMovesTheFocusToTheNextControl) {
  HWND main = Start("0");
  SetForegroundWindow(main);
  SetFocus(GetDlgItem(main, IDC_START_HIDDEN));
  MSG tab{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(window.TakeDialogKey(tab));
  EXPECT_EQ(GetFocus(), GetDlgItem(main, IDC_HIDE_TO_TRAY));
}

TEST_F(MainWindowTest, AHandlerThatFailsEndsItsMessageAndTheProgramGoesOn) {
  HWND main = Start("1");
  shell.beep_fails = true;
  SendMessageW(main, WM_MBUTTONDOWN, 1, WM_LBUTTONDOWN);
  ExpectTicks(root / u"Filemk", "a");
  SendMessageW(main, WM_MBUTTONDOWN, 1, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(main));
}

// `log`: what the shell was asked.
struct InputRow {
  const char* name;
  UINT message;
  WPARAM wparam;
  LPARAM lparam;
  const char* log;
  bool shown;
};
const InputRow kInputRows[] = {
    {"a tray double click shows the window", WM_MBUTTONDOWN, 1, WM_LBUTTONDBLCLK, "", true},
    {"a tray right press opens the tray menu", WM_MBUTTONDOWN, 1, WM_RBUTTONDOWN,
     "popup ﾍﾙﾌﾟ(&H)|ﾊﾞｰｼﾞｮﾝ情報(&A)|-|環境設定(&O)|-|終了(&X)", false},
    {"a real middle click is no tray click at any x", WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(515, 9), "", false},
};

class MainWindowInput : public MainWindowTest, public testing::WithParamInterface<InputRow> {};
TEST_P(MainWindowInput, ReachesTheHiddenWindow) {
  HWND main = Start("1");
  const std::size_t before = shell.log.size() + 3;
  SendMessageW(main, GetParam().message, GetParam().wparam, GetParam().lparam);
  EXPECT_EQ(shell.log.size() > before ? shell.log.substr(before) : "", GetParam().log);
  EXPECT_EQ(IsWindowVisible(main) != FALSE, GetParam().shown);
  EXPECT_EQ(SendDlgItemMessageW(main, IDC_START_HIDDEN, BM_GETCHECK, 0, 0), BST_CHECKED) << "showing leaves the box";
}

INSTANTIATE_TEST_SUITE_P(Tray, MainWindowInput, testing::ValuesIn(kInputRows), test::RowName<InputRow>);

const auto kLogoff = static_cast<LPARAM>(ENDSESSION_LOGOFF);
struct ExitRow {
  const char* name;
  std::function<void(HWND)> close;
};
const ExitRow kExitRows[] = {
    {"either menu's exit", [](HWND w) { SendMessageW(w, WM_COMMAND, IDM_EXIT, 0); }},
    {"the close box", [](HWND w) { SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"logging off",
     [](HWND w) {
       if (SendMessageW(w, WM_QUERYENDSESSION, 0, kLogoff)) SendMessageW(w, WM_ENDSESSION, TRUE, kLogoff);
     }},
    {"WM_CLOSE while a dialog is open, which goes with the window",
     [](HWND w) {
       test::WhileOpen([&] { SendMessageW(w, WM_COMMAND, IDM_OPTIONS, 0); },
                       [&] {
                         HWND options = test::WaitForWindow(kOptionsWindowClass);
                         PostMessageW(w, WM_CLOSE, 0, 0);
                         test::WaitUntil("the dialog to go", [&] { return !IsWindow(options); });
                       });
     }},
};

class MainWindowExit : public MainWindowTest, public testing::WithParamInterface<ExitRow> {};
TEST_P(MainWindowExit, WritesVisibleFromTheBoxAndRemovesTheIcon) {
  HWND main = Start("0");
  SendDlgItemMessageW(main, IDC_START_HIDDEN, BM_CLICK, 0, 0);
  GetParam().close(main);
  test::WaitUntil("the window to go", [&] { return !IsWindow(main); });
  EXPECT_EQ(Utf8(store.Stored(kProgramTitle, kKeyVisible).value_or(u"")), "1");
  EXPECT_EQ(shell.log.substr(shell.log.rfind(" / ")), " / NIM_DELETE");
  EXPECT_EQ(shell.record.hWnd, main);
}

INSTANTIATE_TEST_SUITE_P(Shutdown, MainWindowExit, testing::ValuesIn(kExitRows), test::RowName<ExitRow>);

TEST_F(MainWindowTest, TheIconIsAddedAgainUntilTheShellTakesItAndAfterTheShellRestarts) {
  shell.refusals = 2;
  Start("1");
  test::WaitUntil("the icon after two refusals", [&] { return shell.up; });
  const std::string refused = "NIM_ADD refused / NIM_MODIFY refused / ";
  EXPECT_EQ(shell.log, refused + Opened() + " / " + refused + "NIM_ADD");
  shell.up = false;
  SendMessageW(window.handle(), RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(shell.up);
}

TEST_F(MainWindowTest, TheVersionDialogOpensOwnedByTheHiddenWindowTicksGoOnAndAnotherDialogWaitsForIt) {
  HWND main = Start("1");
  test::WhileOpen([&] { SendMessageW(main, WM_COMMAND, IDM_ABOUT, 0); },
                  [&] {
                    HWND about = test::WaitForWindow(kAboutWindowClass);
                    EXPECT_EQ(test::TextOf(about), "TavikFMのﾊﾞｰｼﾞｮﾝ情報");
                    // The controls in tab order: OK, the icon, the description, the title, the version.
                    std::string controls;
                    for (HWND c = GetWindow(about, GW_CHILD); c != nullptr; c = GetWindow(c, GW_HWNDNEXT)) {
                      controls += test::TextOf(c) + "|";
                    }
                    EXPECT_EQ(
                        controls,
                        "OK||TavikViewから受け取った患者情報をファイルメーカーに登録します。|TavikFM|ﾊﾞｰｼﾞｮﾝ 2.10.3|")
                        << "this program's version";
                    EXPECT_EQ(GetWindow(about, GW_OWNER), main);
                    EXPECT_FALSE(IsWindowVisible(main));
                    ExpectTicks(root / u"Filemk", "b");
                    PostMessageW(main, WM_COMMAND, IDM_OPTIONS, 0);
                    ExpectTicks(root / u"Filemk", "c");  // a tick comes only after what was posted before
                    EXPECT_EQ(FindWindowW(kOptionsWindowClass, nullptr), nullptr) << "one dialog at a time";
                  });
}

// The registry as the viewer and the administrator see it: the names
// written out, so that the program's own names are held to them.
std::wstring SettingsKey(const wchar_t* application) {
  return std::wstring(L"Software\\VB and VBA Program Settings\\") + application + L"\\Settings";
}
void Write(const std::wstring& key, const wchar_t* name, TextView value) {
  const std::wstring text = ToWideString(value);
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), name, REG_SZ, text.c_str(),
                  static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}
std::string Visible() {
  wchar_t value[16] = L"absent";
  DWORD size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, SettingsKey(L"TavikFM").c_str(), L"Visible", RRF_RT_REG_SZ, nullptr, value, &size);
  return Utf8(TextFromWide(value));
}

// tavikFM.exe from outside: a program folder and a viewer folder of its own.
class ProgramTest : public testing::Test {
 public:
  void SetUp() override {
    for (const Text& folder : {app, data, exchange}) test::MakeFolder(folder);
    // The build's exe, or the one the test command names (the package's signed one).
    const char* named = std::getenv("TAVIK_PROGRAM_UNDER_TEST");
    Text exe = U("Z:") + U(named != nullptr ? named : TAVIK_PROGRAM_EXE);
    for (char16_t& c : exe) c = c == u'/' ? u'\\' : c;
    CopyFileW(WideCStr(exe), WideCStr(app + u"\\tavikFM.exe"), FALSE);
    // The help files the build (or the package) has beside the exe.
    for (TextView help : {u"\\tavikfm.hlp", u"\\tavikfm.cnt"}) {
      CopyFileW(WideCStr(FolderOfPath(exe) + Text(help)), WideCStr(app + Text(help)), FALSE);
    }
    test::WriteFile(app + u"\\tavik.fp5", "");
    test::DeleteRegistryApplication(u"TavikFM");
    Write(SettingsKey(L"TavikView"), L"Folda", data);
  }
  void TearDown() override {
    for (PROCESS_INFORMATION& p : started) {
      if (WaitForSingleObject(p.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(p.hProcess, 1);
      CloseHandle(p.hProcess);
      CloseHandle(p.hThread);
    }
  }
  PROCESS_INFORMATION& Run() {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    std::wstring line = L"\"" + ToWideString(app) + L"\\tavikFM.exe\"";
    started.emplace_back();
    EXPECT_TRUE(
        CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started.back()));
    return started.back();
  }
  void WriteViewerFile(int chart) {  // a file still being written waits for a later tick
    viewer::PatientFile file;
    file.record = viewer::PatientGenerator(1).Next(DecimalText(chart), 1);
    test::WriteFile(exchange + u"\\" + DecimalText(chart) + u".fmr", viewer::PatientFileBytes(file));
  }
  static std::size_t Rows() { return test::PatientRows(test::kSqliteSource).size(); }
  static void WaitEnd(PROCESS_INFORMATION& p) {
    test::WaitUntil("the end", [&] { return WaitForSingleObject(p.hProcess, 0) == WAIT_OBJECT_0; });
  }

  test::TempDir root;
  Text app = root / u"app", data = root / u"data", exchange = data + u"\\Filemk";
  std::deque<PROCESS_INFORMATION> started;  // references stay valid
};

TEST_F(ProgramTest, StoresTheViewersFilesRefusesASecondCopyAndEndsOnWMCloseFromOutside) {
  test::ResetPatientTable(test::kSqliteSource);
  PROCESS_INFORMATION& first = Run();
  HWND main = test::WaitForWindow(kMainWindowClass);
  for (int chart = 700001; chart <= 700003; ++chart) WriteViewerFile(chart);
  test::WaitUntil("three rows", [&] { return Rows() == 3; });
  const std::vector<std::string> backups{"700001.bak", "700002.bak", "700003.bak"};
  test::WaitUntil("their backups", [&] { return test::FolderNames(exchange) == backups; });

  PROCESS_INFORMATION& second = Run();
  HWND box = test::WaitForWindow(L"#32770", L"TavikFM");
  EXPECT_EQ(test::AnswerMessageBox(box), "TavikFM は既に起動されています");
  WaitEnd(second);
  WriteViewerFile(700004);
  test::WaitUntil("the first copy still at work", [&] { return Rows() == 4; });

  PostMessageW(main, WM_CLOSE, 0, 0);
  WaitEnd(first);
  EXPECT_EQ(Visible(), "0");
}

struct DegradedRow {
  const char* name;
  std::function<void(ProgramTest&)> arrange;
  const char* message;
};
const DegradedRow kDegradedRows[] = {
    {"a missing exchange folder", [](ProgramTest& t) { RemoveDirectoryW(WideCStr(t.exchange)); },
     "データ交信フォルダが見つかりません。TavikViewの設定を確かめて下さい。"},
    {"a KosinTime that is no number", [](ProgramTest&) { Write(SettingsKey(L"TavikFM"), L"KosinTime", u"abc"); },
     "ｴﾗｰ: '13' - 型が一致しません。."},
};

class DegradedStart : public ProgramTest, public testing::WithParamInterface<DegradedRow> {};
TEST_P(DegradedStart, ShowsItsMessageAndWaitsHiddenInTheTrayUntilClosed) {
  GetParam().arrange(*this);
  Write(SettingsKey(L"TavikFM"), L"Visible", u"1");
  PROCESS_INFORMATION& program = Run();
  HWND box = test::WaitForWindow(L"#32770", L"TavikFM");
  EXPECT_EQ(test::AnswerMessageBox(box), GetParam().message);
  test::WaitUntil("the message box to go", [&] { return !IsWindow(box); });
  HWND main = FindWindowW(kMainWindowClass, nullptr);
  EXPECT_FALSE(IsWindowVisible(main));
  PostMessageW(main, WM_CLOSE, 0, 0);
  WaitEnd(program);
  EXPECT_EQ(Visible(), "0") << "the box was never set";
}

INSTANTIATE_TEST_SUITE_P(Load, DegradedStart, testing::ValuesIn(kDegradedRows), test::RowName<DegradedRow>);

// The help, with Wine standing in for each Windows: before Windows 10 the
// help engine (Wine's viewer), from 10 on the program's own window.
class ProgramHelp;
// `windows`: Wine's version for tavikFM.exe alone; `file_there`: whether
// tavikfm.hlp stays beside the exe.
struct HelpRow {
  const char* name;
  const char16_t* windows;
  bool file_there;
  std::function<void(ProgramHelp&)> expect;
};

class ProgramHelp : public ProgramTest, public testing::WithParamInterface<HelpRow> {
 public:
  static constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\tavikFM.exe";
  void SetUp() override {
    ProgramTest::SetUp();
    Write(kAppDefaults, L"Version", GetParam().windows);
    help = ReadHelpFile(test::ReadFile(app + u"\\tavikfm.hlp").value_or(""));
    if (!GetParam().file_there) DeleteFileW(WideCStr(app + u"\\tavikfm.hlp"));
  }
  void TearDown() override {
    if (HWND viewer = FindWindowW(L"MS_WINHELP", nullptr)) {  // Wine's, a program of its own
      PostMessageW(viewer, WM_CLOSE, 0, 0);
      test::WaitUntil("the help viewer to close", [&] { return !IsWindow(viewer); });
    }
    RegDeleteTreeW(HKEY_CURRENT_USER, kAppDefaults);
    ProgramTest::TearDown();
  }
  std::string Page(std::size_t topic) const { return Utf8(PageOf(help, topic).text); }
  HelpFile help;
};

// The control `id` anywhere below `window`.
HWND Descendant(HWND window, int id) {
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (HWND found = GetDlgCtrlID(child) == id ? child : Descendant(child, id)) return found;
  }
  return nullptr;
}

const HelpRow kHelpRows[] = {
    {"before Windows 10 the help engine shows the file's contents topic", u"winxp", true,
     [](ProgramHelp& t) {
       HWND viewer = test::WaitForWindow(L"MS_WINHELP");
       const std::string first = Utf8(t.help.topics[t.help.contents_topic].paragraphs.at(0).PlainText());
       test::WaitUntil("the contents topic in the viewer",
                       [&] { return test::TextOf(Descendant(viewer, 0x701)).find(first) != std::string::npos; });
     }},
    {"before Windows 10 a missing file is the engine's question and ticks resume once it is answered", u"win7", false,
     [](ProgramHelp& t) {
       PostMessageW(test::WaitForWindow(L"#32770"), WM_COMMAND, IDNO, 0);  // the viewer's
       ExpectTicks(t.exchange, "after-question");
     }},
    {"on Windows 10 the program's window shows the contents follows a jump and serves a second command", u"win10", true,
     [](ProgramHelp& t) {
       HWND window = test::WaitForWindow(kHelpWindowClass);
       EXPECT_EQ(test::TextOf(window), Utf8(t.help.title));
       EXPECT_EQ(test::TextOf(window, kIdHelpText), t.Page(t.help.contents_topic));
       HWND links = GetDlgItem(window, kIdHelpLinks);
       SendMessageW(links, LB_SETCURSEL, 0, 0);
       SendMessageW(window, WM_COMMAND, MAKEWPARAM(kIdHelpLinks, LBN_DBLCLK), reinterpret_cast<LPARAM>(links));
       EXPECT_EQ(test::TextOf(window, kIdHelpText), t.Page(PageOf(t.help, t.help.contents_topic).links.at(0).topic));
       PostMessageW(FindWindowW(kMainWindowClass, nullptr), WM_COMMAND, IDM_HELP_CONTENTS, 0);
       ExpectTicks(t.exchange, "after-second-command");  // and all the while the window was open
       EXPECT_EQ(FindWindowExW(nullptr, window, kHelpWindowClass, nullptr), nullptr) << "one help window";
     }},
    {"on Windows 10 a missing file is named in one message and ticks go on", u"win10", false,
     [](ProgramHelp& t) {
       HWND box = test::WaitForWindow(L"#32770", L"TavikFM");
       EXPECT_EQ(test::AnswerMessageBox(box), "ヘルプファイルを開けません。\r\n" + Utf8(t.app) + "\\tavikfm.hlp");
       ExpectTicks(t.exchange, "after-message");
       EXPECT_EQ(FindWindowW(kHelpWindowClass, nullptr), nullptr);
     }},
};

TEST_P(ProgramHelp, ComesFromTheHelpMenuBesideTheExe) {
  PROCESS_INFORMATION& program = Run();
  HWND main = test::WaitForWindow(kMainWindowClass);
  PostMessageW(main, WM_COMMAND, IDM_HELP_CONTENTS, 0);
  GetParam().expect(*this);
  PostMessageW(main, WM_CLOSE, 0, 0);
  WaitEnd(program);
}

INSTANTIATE_TEST_SUITE_P(Help, ProgramHelp, testing::ValuesIn(kHelpRows), test::RowName<HelpRow>);

}  // namespace
}  // namespace tavik
