// The options dialog and the folder picker modal on this thread under a stand-in for the
// main window with a ticking timer, worked from a second thread as a user
// would; and the start-up shortcut.
#include <windows.h>

#include <imm.h>
#include <objbase.h>
#include <shlobj.h>
#include <wrl/client.h>

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <mutex>

#include "app/startup_shortcut_win32gui.h"
#include "common/wide_text_win32.h"
#include "common/window_win32gui.h"
#include "dialogs/dialogs_win32gui.h"
#include "support/test_support.h"
#include "support/window_support_win32.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

constexpr UINT kMarker = WM_APP + 1;       // sets `settled`: what was posted before has been handled
constexpr UINT kInputMethod = WM_APP + 2;  // 1 when the window in lparam has an input context

class DialogsTest : public testing::Test {
 public:
  void SetUp() override {
    MSG quit;  // what ended an earlier test's modal loop
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    WNDCLASSW owner_class{0,       &DialogsTest::OwnerProc, 0, 0, nullptr, nullptr, nullptr, nullptr,
                          nullptr, L"TavikDialogsTestOwner"};
    RegisterClassW(&owner_class);
    owner = CreateWindowExW(0, L"TavikDialogsTestOwner", L"TavikFM", WS_OVERLAPPEDWINDOW, 40, 40, 280, 140, nullptr,
                            nullptr, nullptr, nullptr);
    current = this;
    SetTimer(owner, 1, 40, nullptr);
    for (const char16_t* folder : {u"Filemk", u"Filemk\\sub1", u"Filemk\\sub2", u"Filemk\\sub2\\deeper"})
      test::MakeFolder(root / folder);
    values.exchange_folder = root / u"Filemk";
    store.WriteSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, u"777");
  }
  void TearDown() override { DestroyWindow(owner); }

  static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_TIMER) {  // the intake's stand-in: the folder a tick works in
      std::lock_guard<std::mutex> lock(current->mutex);
      current->tick_folder = current->values.exchange_folder;
    } else if (message == kMarker) {
      current->settled = true;
    } else if (message == kInputMethod) {
      HIMC context = ImmGetContext(reinterpret_cast<HWND>(lparam));
      ImmReleaseContext(reinterpret_cast<HWND>(lparam), context);
      return context != nullptr;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }

  // The options dialog open on this thread while `drive` works it.
  void WithOptions(const std::function<void(HWND)>& drive) {
    test::WhileOpen([&] { ShowOptionsDialog(owner, context); },
                    [&] { drive(test::WaitForWindow(kOptionsWindowClass)); });
  }
  // Waits until what was posted to the dialogs before has been handled.
  void Settle() {
    settled = false;
    PostMessageW(owner, kMarker, 0, 0);
    test::WaitUntil("the marker", [&] { return settled.load(); });
  }
  std::string Stored() { return Utf8(store.Stored(kProgramTitle, kKeyKosinTime).value_or(u"")); }
  std::string TickFolder() { return std::lock_guard<std::mutex>(mutex), Utf8(tick_folder); }

  static inline DialogsTest* current = nullptr;
  HWND owner = nullptr;
  test::TempDir root;
  test::MemorySettingsStore store;
  ProgramValues values;
  std::string timer;
  DialogContext context{values, store, ExecutableFolder(), [this](std::int32_t ms) { timer += std::to_string(ms); }};
  std::atomic<bool> settled{false};
  std::mutex mutex;
  Text tick_folder;
};

TEST_F(DialogsTest, OptionsShowTheValuesWithoutInputMethodCentredOnTheOwnerAndTheCloseBoxCancels) {
  values.backup_folder = root.path();
  SetWindowPos(owner, nullptr, 300, 100, 400, 700, SWP_NOZORDER | SWP_SHOWWINDOW);
  WithOptions([&](HWND dialog) {
    RECT d{}, o{};  // twice the centres, which lie a pixel apart at most
    GetWindowRect(dialog, &d);
    GetWindowRect(owner, &o);
    EXPECT_LE(std::abs(d.left + d.right - o.left - o.right), 1) << "centred, to the pixel its size allows";
    EXPECT_LE(std::abs(d.top + d.bottom - o.top - o.bottom), 1);
    EXPECT_EQ(test::TextOf(dialog), "設定");
    EXPECT_EQ(test::TextOf(dialog, kIdExchangeFolderBox), Utf8(values.exchange_folder));
    EXPECT_EQ(test::TextOf(dialog, kIdIntervalBox) + test::TextOf(dialog, kIdBackupFolderBox) +
                  test::TextOf(dialog, kIdDatabaseFolderBox),
              "1000");
    EXPECT_FALSE(IsWindowEnabled(owner)) << "modal";
    for (int id : {kIdExchangeFolderBox, kIdIntervalBox, kIdBackupFolderBox}) {
      const bool has = SendMessageW(owner, kInputMethod, 0, reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))) != 0;
      EXPECT_EQ(has, id == kIdBackupFolderBox) << id;
    }
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  });
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(Stored() + timer, "777");
}

TEST_F(DialogsTest, AnOkThatFailsEndsItsClickTheDialogAndTheTimerGoOnAndTheOwnerIsEnabledAfterIt) {
  store.throw_writes = true;
  WithOptions([&](HWND dialog) {
    test::PostClick(dialog, kIdOptionsOk);
    Settle();
    EXPECT_TRUE(IsWindowVisible(dialog));
    {
      const std::lock_guard<std::mutex> lock(mutex);
      tick_folder.clear();
    }
    test::WaitUntil("a tick", [&] { return !TickFolder().empty(); });
    test::PostClick(dialog, kIdOptionsCancel);
  });
  EXPECT_TRUE(IsWindowEnabled(owner));
}

TEST_F(DialogsTest, AQuitMessageEndsTheDialogAndStaysForTheOuterLoopAndAnOwnerDisabledBeforeStaysSo) {
  EnableWindow(owner, FALSE);
  const DWORD thread = GetCurrentThreadId();
  WithOptions([&](HWND) { PostThreadMessageW(thread, WM_QUIT, 7, 0); });
  MSG quit{};
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(quit.wParam, 7u);
  EXPECT_FALSE(IsWindowEnabled(owner));
}

TEST_F(DialogsTest, AnIntervalOfLettersIsRefusedWithAMessageOverTheDialogWhichStaysOpen) {
  WithOptions([&](HWND dialog) {
    SetDlgItemTextW(dialog, kIdIntervalBox, L"abc");
    test::PostClick(dialog, kIdOptionsOk);
    HWND box = test::WaitForWindow(L"#32770", L"TavikFM");
    EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
    EXPECT_EQ(test::AnswerMessageBox(box), "数値を入力して下さい");
    Settle();
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(test::TextOf(dialog, kIdIntervalBox), "abc");
    test::PostClick(dialog, kIdOptionsCancel);
  });
  EXPECT_EQ(Stored() + timer, "777");
}

// `focused`: the control clicked first, which the keys go to; `stored`: "KosinTime" after the keys, then
// the interval the timer was given.
struct KeyRow {
  const char* name;
  int focused;
  std::vector<WPARAM> keys;
  const char* stored;
};
const KeyRow kKeyRows[] = {
    {"Enter or Escape in the interval box presses neither button", kIdIntervalBox, {VK_RETURN, VK_ESCAPE}, "777 "},
    {"Tab twice from the exchange folder box reaches OK, which Enter presses",
     kIdExchangeFolderBox,
     {VK_TAB, VK_TAB},
     "4000 4000"},
};

class OptionsKeys : public DialogsTest, public testing::WithParamInterface<KeyRow> {};
TEST_P(OptionsKeys, PressOnlyTheFocusedButton) {
  WithOptions([&](HWND dialog) {
    SetDlgItemTextW(dialog, kIdIntervalBox, L"4000");
    test::PostMouseClick(GetDlgItem(dialog, GetParam().focused), POINT{3, 3});
    for (WPARAM key : GetParam().keys) test::PostKey(GetDlgItem(dialog, GetParam().focused), key);
    if (GetParam().keys.back() == VK_TAB) test::PostKey(GetDlgItem(dialog, kIdOptionsOk), VK_RETURN);
    if (*GetParam().stored != '7') return;  // OK ends it
    Settle();
    EXPECT_TRUE(IsWindow(dialog));
    test::PostClick(dialog, kIdOptionsCancel);
  });
  EXPECT_EQ(Stored() + " " + timer, GetParam().stored);
}

INSTANTIATE_TEST_SUITE_P(Options, OptionsKeys, testing::ValuesIn(kKeyRows), test::RowName<KeyRow>);

// The picker's lists: their entries, the tree's highlighted one, and a click.
std::vector<std::string> Entries(HWND list) {
  std::vector<std::string> entries;
  for (LRESULT i = 0; i < SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
    wchar_t text[MAX_PATH] = {};
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries.push_back(Utf8(TextFromWide(text)));
  }
  return entries;
}
std::string Highlighted(HWND list) {
  const auto at = static_cast<std::size_t>(SendMessageW(list, LB_GETCURSEL, 0, 0));
  return at < Entries(list).size() ? Entries(list)[at] : "";
}
void ClickEntry(HWND list, const char* entry, bool twice) {
  const Text name = U(entry);
  LRESULT index = LB_ERR;
  const auto find = [&] { return SendMessageW(list, LB_FINDSTRINGEXACT, 0, reinterpret_cast<LPARAM>(WideCStr(name))); };
  test::WaitUntil(entry, [&] { return (index = find()) != LB_ERR; });
  RECT item{};
  SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  test::PostMouseClick(list, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2}, twice);
}
void PickDrive(HWND picker, char letter) {
  HWND combo = GetDlgItem(picker, kIdDriveList);
  const wchar_t drive[] = {static_cast<wchar_t>(letter), L':', L'\0'};
  ASSERT_NE(SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive)), CB_ERR)
      << letter;
  PostMessageW(picker, WM_COMMAND, MAKEWPARAM(kIdDriveList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// `button`: the picker's button pressed at the end; `box_text`: the box after the picker closed, "~"
// standing for the test folder.
struct PickerRow {
  const char* name;
  int browse, box;  // the browse button and the options dialog's box it fills
  std::function<void(DialogsTest&, HWND picker, HWND tree)> act;
  int button;
  const char* box_text;
};

const PickerRow kPickerRows[] = {
    {"a double-clicked folder is taken, not a highlighted one", kIdExchangeFolderBrowse, kIdExchangeFolderBox,
     [](DialogsTest&, HWND, HWND tree) {
       EXPECT_EQ(Highlighted(tree), "Filemk");
       ClickEntry(tree, "sub2", true);
       ClickEntry(tree, "deeper", false);
       test::WaitUntil("deeper highlighted", [&] { return Highlighted(tree) == "deeper"; });
     },
     kIdFolderPickerOk, "~\\Filemk\\sub2"},
    {"a drive keeps its root's separator, also opened from the tree's first row", kIdDatabaseFolderBrowse,
     kIdDatabaseFolderBox,
     [](DialogsTest&, HWND picker, HWND tree) {
       PickDrive(picker, 'c');
       test::WaitUntil("C:", [&] { return Entries(tree).size() > 0 && Entries(tree)[0] == "C:\\"; });
       ClickEntry(tree, "windows", true);
       test::WaitUntil("C:\\windows open", [&] { return Entries(tree).size() > 1 && Entries(tree)[1] == "windows"; });
       ClickEntry(tree, "C:\\", true);
       test::WaitUntil("C:\\ open again", [&] { return Entries(tree).size() > 2 && Entries(tree)[1] != "windows"; });
     },
     kIdFolderPickerOk, "C:\\"},
    {"a drive that cannot be read sends the list back and leaves the tree", kIdExchangeFolderBrowse,
     kIdExchangeFolderBox,
     [](DialogsTest& t, HWND picker, HWND tree) {
       const std::vector<std::string> before = Entries(tree);
       PickDrive(picker, 'q');
       t.Settle();
       EXPECT_EQ(test::TextOf(GetDlgItem(picker, kIdDriveList)).substr(0, 2), "c:");
       EXPECT_EQ(Entries(tree), before);
     },
     kIdFolderPickerOk, "~\\Filemk"},
    {"cancel after browsing changes nothing", kIdExchangeFolderBrowse, kIdExchangeFolderBox,
     [](DialogsTest&, HWND, HWND tree) { ClickEntry(tree, "sub1", true); }, kIdFolderPickerCancel, "~\\Filemk"},
};

class Picker : public DialogsTest, public testing::WithParamInterface<PickerRow> {};
TEST_P(Picker, LeavesTheRowsBoxAndValueAsItsRowSaysAndATickUsesAPickedExchangeFolder) {
  const PickerRow& row = GetParam();
  std::string box, expected = row.box_text;
  if (expected[0] == '~') expected = Utf8(root.path()) + expected.substr(1);
  WithOptions([&](HWND dialog) {
    test::PostClick(dialog, row.browse);
    HWND picker = test::WaitForWindow(kPickerWindowClass);
    EXPECT_EQ(GetWindow(picker, GW_OWNER), dialog);
    // The drive list shows the tree's drive, "c:" for "C:\\".
    EXPECT_EQ(test::TextOf(picker, kIdDriveList)[0], std::tolower(Entries(GetDlgItem(picker, kIdFolderList)).at(0)[0]));
    if (row.act) row.act(*this, picker, GetDlgItem(picker, kIdFolderList));
    test::PostClick(picker, row.button);
    test::WaitUntil("the picker to close", [&] { return !IsWindow(picker); });
    box = test::TextOf(dialog, row.box);
    if (row.box == kIdExchangeFolderBox) test::WaitUntil("a tick in it", [&] { return TickFolder() == expected; });
    test::PostClick(dialog, kIdOptionsCancel);
  });
  EXPECT_EQ(box, expected);
  const Text* value = row.box == kIdExchangeFolderBox ? &values.exchange_folder : &values.database_folder;
  EXPECT_EQ(Utf8(*value), row.button == kIdFolderPickerOk || row.box == kIdExchangeFolderBox ? expected : "");
}

INSTANTIATE_TEST_SUITE_P(Picker, Picker, testing::ValuesIn(kPickerRows), test::RowName<PickerRow>);

// The shortcut's target, read back.
std::string ShortcutTarget(const Text& file) {
  wchar_t path[MAX_PATH] = {};
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    Microsoft::WRL::ComPtr<IShellLinkW> link;
    Microsoft::WRL::ComPtr<IPersistFile> persist;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&link))) &&
        SUCCEEDED(link.As(&persist)) && SUCCEEDED(persist->Load(WideCStr(file), STGM_READ))) {
      link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
    }
  }
  CoUninitialize();
  return Utf8(TextFromWide(path));
}

struct ShortcutRow {
  const char* name;
  std::function<bool(const Text& shortcut)> save;
  bool saved;
};
const ShortcutRow kShortcutRows[] = {
    {"a second save writes it again",
     [](const Text&) { return SaveStartupShortcut(u"C:\\x"), SaveStartupShortcut(ExecutableFolder()); }, true},
    {"a missing Startup folder is made",
     [](const Text& shortcut) {
       return RemoveDirectoryW(WideCStr(FolderOfPath(shortcut))) && SaveStartupShortcut(ExecutableFolder());
     },
     true},
    {"a folder in its place makes it fail",
     [](const Text& shortcut) { return test::MakeFolder(shortcut), SaveStartupShortcut(ExecutableFolder()); }, false},
};

class StartupShortcut : public testing::TestWithParam<ShortcutRow> {};
TEST_P(StartupShortcut, IsSavedPointingAtTavikFMExeInTheProgramFolderOrNotAtAll) {
  wchar_t* startup = nullptr;
  SHGetKnownFolderPath(FOLDERID_Startup, KF_FLAG_CREATE, nullptr, &startup);
  const Text shortcut = TextFromWide(startup) + u"\\TavikFMのショートカット.lnk";
  CoTaskMemFree(startup);
  DeleteFileW(WideCStr(shortcut));
  EXPECT_EQ(GetParam().save(shortcut), GetParam().saved);
  const std::string target = Utf8(ExecutableFolder()) + "\\tavikFM.exe";  // in the program folder the rows name
  EXPECT_EQ(ShortcutTarget(shortcut), GetParam().saved ? target : "");
  RemoveDirectoryW(WideCStr(shortcut));
  DeleteFileW(WideCStr(shortcut));
}

INSTANTIATE_TEST_SUITE_P(Shortcut, StartupShortcut, testing::ValuesIn(kShortcutRows), test::RowName<ShortcutRow>);

}  // namespace
}  // namespace tavik
