// frmOption2, frmPictFolda and the start-up shortcut, the real windows
// driven by messages under Wine and Xvfb. The dialogs run modally on the
// test's main thread, as they do on the program's one thread; a driver
// thread finds them and posts what a user would do.
#include <windows.h>

#include <imm.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dialogs/dialogs_win32gui.h"
#include "dialogs/options_dialog_win32gui.h"
#include "dialogs/picker_dialog_win32gui.h"
#include "settings/settings_store.h"

namespace tavik {
namespace {

// ---------------------------------------------------------------- text

std::wstring Wide(const char* utf8) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n > 0 ? n : 1), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), n);
  out.resize(static_cast<std::size_t>(n > 0 ? n - 1 : 0));
  return out;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int length = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, out.data(), n, nullptr, nullptr);
  return out;
}

std::string Utf8(const Text& text) { return Utf8(std::wstring(text.begin(), text.end())); }

Text ToText(const std::wstring& text) { return Text(text.begin(), text.end()); }

// ---------------------------------------------------------------- windows

constexpr int kWaitMs = 10000;

// Polls until `find` gives a window (or true), up to kWaitMs.
HWND WaitFor(const std::function<HWND()>& find) {
  for (int waited = 0; waited < kWaitMs; waited += 20) {
    if (HWND found = find()) return found;
    Sleep(20);
  }
  return nullptr;
}

bool WaitUntil(const std::function<bool()>& condition) {
  for (int waited = 0; waited < kWaitMs; waited += 20) {
    if (condition()) return true;
    Sleep(20);
  }
  return false;
}

HWND VisibleTop(const wchar_t* window_class, const wchar_t* caption) {
  HWND found = FindWindowW(window_class, caption);
  return (found != nullptr && IsWindowVisible(found)) ? found : nullptr;
}

HWND OptionsWindow() { return VisibleTop(kOptionsWindowClass, nullptr); }
HWND PickerWindow() { return VisibleTop(kPickerWindowClass, nullptr); }
HWND ProgramMessageBox() { return VisibleTop(L"#32770", L"TavikFM"); }

std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_BLOCK, 5000, &length) || length > 65536) {
    return L"<no answer>";
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_BLOCK, 5000, &got);
  text.resize(got);
  return text;
}

std::string TextOf(HWND dialog, int id) { return Utf8(TextOf(GetDlgItem(dialog, id))); }

// The message box's own text (its static control 0xFFFF).
std::string MessageBoxText(HWND box) { return Utf8(TextOf(GetDlgItem(box, 0xFFFF))); }

void PostClick(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void PostMouse(HWND control, UINT down, UINT up, POINT at) {
  const LPARAM where = MAKELPARAM(at.x, at.y);
  PostMessageW(control, down, MK_LBUTTON, where);
  PostMessageW(control, up, 0, where);
}

// A click into a text box: the box takes the focus.
void FocusByClick(HWND control) { PostMouse(control, WM_LBUTTONDOWN, WM_LBUTTONUP, POINT{3, 3}); }

void PostKey(HWND control, WPARAM key) {
  PostMessageW(control, WM_KEYDOWN, key, 1);
  PostMessageW(control, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

// Types into a text box as the keyboard would, replacing its text. Posted
// behind whatever was posted before (a click that places the caret).
void Type(HWND edit, const wchar_t* text) {
  PostMessageW(edit, EM_SETSEL, 0, -1);
  for (const wchar_t* c = text; *c != L'\0'; ++c) PostMessageW(edit, WM_CHAR, static_cast<WPARAM>(*c), 1);
}

// The entries of a list box, and the one highlighted.
std::vector<std::string> ListEntries(HWND list) {
  std::vector<std::string> entries;
  const auto count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) continue;  // refilled meanwhile
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    entries.push_back(Utf8(text));
  }
  return entries;
}

std::string FirstEntry(HWND list) {
  const std::vector<std::string> entries = ListEntries(list);
  return entries.empty() ? std::string("<empty>") : entries.front();
}

std::string Highlighted(HWND list) {
  const auto index = SendMessageW(list, LB_GETCURSEL, 0, 0);
  const std::vector<std::string> entries = ListEntries(list);
  return index >= 0 && static_cast<std::size_t>(index) < entries.size() ? entries[static_cast<std::size_t>(index)]
                                                                         : std::string("<none>");
}

int IndexOf(HWND list, const char* entry) {
  const std::vector<std::string> entries = ListEntries(list);
  const auto it = std::find(entries.begin(), entries.end(), std::string(entry));
  return it == entries.end() ? -1 : static_cast<int>(it - entries.begin());
}

POINT ItemCentre(HWND list, int index) {
  RECT item{};
  SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
  return POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
}

// A double click on a listed folder, as the mouse sends it.
// The index of an entry once the list shows it (the tree refills its list
// after it opened a folder); -1 when it never does.
int WaitForEntry(HWND list, const char* entry) {
  int index = -1;
  WaitUntil([&] { return (index = IndexOf(list, entry)) >= 0; });
  return index;
}

void DoubleClickEntry(HWND list, const char* entry) {
  const int index = WaitForEntry(list, entry);
  ASSERT_GE(index, 0) << "no entry " << entry;
  const POINT at = ItemCentre(list, index);
  PostMouse(list, WM_LBUTTONDOWN, WM_LBUTTONUP, at);
  PostMouse(list, WM_LBUTTONDBLCLK, WM_LBUTTONUP, at);
}

void SingleClickEntry(HWND list, const char* entry) {
  const int index = WaitForEntry(list, entry);
  ASSERT_GE(index, 0) << "no entry " << entry;
  PostMouse(list, WM_LBUTTONDOWN, WM_LBUTTONUP, ItemCentre(list, index));
}

std::vector<std::string> ComboEntries(HWND combo) {
  std::vector<std::string> entries;
  const auto count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const auto length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length < 0) continue;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    entries.push_back(Utf8(text));
  }
  return entries;
}

std::string ComboShown(HWND combo) {
  const auto index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
  const std::vector<std::string> entries = ComboEntries(combo);
  return index >= 0 && static_cast<std::size_t>(index) < entries.size() ? entries[static_cast<std::size_t>(index)]
                                                                         : std::string("<none>");
}

// The user picks a drive from Drive1's list.
void PickDrive(HWND picker, const char* letter) {
  HWND combo = GetDlgItem(picker, kIdDrive1);
  const std::vector<std::string> entries = ComboEntries(combo);
  int index = -1;
  for (std::size_t i = 0; i < entries.size(); ++i) {
    if (entries[i].rfind(letter, 0) == 0) index = static_cast<int>(i);
  }
  ASSERT_GE(index, 0) << "no drive " << letter;
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(picker, WM_COMMAND, MAKEWPARAM(kIdDrive1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

// Opens the picker from a browse button and waits for it.
HWND Browse(HWND dialog, int button) {
  PostClick(dialog, button);
  return WaitFor(PickerWindow);
}

// Closes whatever a failed step left open, innermost first.
void CloseAny() {
  if (HWND box = FindWindowW(L"#32770", L"TavikFM")) PostMessageW(box, WM_COMMAND, IDOK, 0);
  if (HWND picker = FindWindowW(kPickerWindowClass, nullptr)) PostMessageW(picker, WM_CLOSE, 0, 0);
  if (HWND options = FindWindowW(kOptionsWindowClass, nullptr)) PostMessageW(options, WM_CLOSE, 0, 0);
}

int Twips(int twips) {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  return MulDiv(twips, dpi, 1440);
}

// ---------------------------------------------------------------- files

std::wstring TempRoot() {
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring root = temp;
  root += L"tavik-dialogs-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount());
  return root;
}

void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = folder + L"\\" + name;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
  std::wstring folder = path;
  return folder.substr(0, folder.find_last_of(L'\\'));
}

std::string LastName(const std::wstring& path) { return Utf8(path.substr(path.find_last_of(L'\\') + 1)); }

const wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\TavikFM\\Settings";

// "KosinTime" as the registry holds it; "<none>" when absent.
std::string StoredKosinTime() {
  wchar_t value[64] = {};
  DWORD size = sizeof value;
  if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, L"KosinTime", RRF_RT_REG_SZ, nullptr, value, &size) !=
      ERROR_SUCCESS) {
    return "<none>";
  }
  return Utf8(std::wstring(value));
}

// ---------------------------------------------------------------- fixture

constexpr UINT kOpenAgain = WM_APP + 1;     // opens the options dialog once more
constexpr UINT kHasInputContext = WM_APP + 2;  // 1 when the window (lparam) has an input context
constexpr UINT kQuit = WM_APP + 3;           // PostQuitMessage, as the main window's WM_DESTROY does

// The main window as the dialogs see it: owner of the options dialog, with
// a running timer (Timer1) whose ticks are counted.
class DialogsTest : public testing::Test {
 protected:
  void SetUp() override {
    instance_ = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = &DialogsTest::OwnerProc;
    window_class.hInstance = instance_;
    window_class.lpszClassName = L"TavikDialogsTestOwner";
    RegisterClassExW(&window_class);
    owner_ = CreateWindowExW(0, L"TavikDialogsTestOwner", L"TavikFM", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 40,
                             40, 280, 140, nullptr, nullptr, instance_, nullptr);
    ASSERT_NE(owner_, nullptr);
    SetWindowLongPtrW(owner_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetTimer(owner_, 1, 40, nullptr);

    root_ = TempRoot();
    for (const wchar_t* folder : {L"", L"\\Filemk", L"\\Filemk\\sub1", L"\\Filemk\\sub2", L"\\Filemk\\sub2\\deeper",
                                  L"\\Filemk\\データ", L"\\Backup"}) {
      CreateDirectoryW((root_ + folder).c_str(), nullptr);
    }
    values_.ExchangeFolder = ToText(root_ + L"\\Filemk");
    values_.TickInterval = 1000;
    store_ = MakeRegistrySettingsStore();
    store_->WriteSetting(kProgramTitle, kSettingsSection, kKeyKosinTime, u"777");

    context_.instance = instance_;
    context_.owner = owner_;
    context_.values = &values_;
    context_.store = store_.get();
    context_.set_timer_interval = [this](std::int32_t ms) { timer_calls_.push_back(ms); };
  }

  void TearDown() override {
    if (owner_ != nullptr) {
      KillTimer(owner_, 1);
      DestroyWindow(owner_);
    }
    RemoveTree(root_);
  }

  static LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* test = reinterpret_cast<DialogsTest*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (test != nullptr && message == WM_TIMER) {
      // The intake's stand-in: which exchange folder this tick works in.
      {
        std::lock_guard<std::mutex> lock(test->tick_mutex_);
        test->tick_folder_ = test->values_.ExchangeFolder;
      }
      ++test->ticks_;
      return 0;
    }
    if (message == kHasInputContext) {
      HWND window = reinterpret_cast<HWND>(lparam);
      HIMC context = ImmGetContext(window);
      if (context != nullptr) ImmReleaseContext(window, context);
      return context != nullptr ? 1 : 0;
    }
    if (message == kQuit) {
      PostQuitMessage(7);
      return 0;
    }
    if (test != nullptr && message == kOpenAgain) {
      ShowOptionsDialog(test->context_);
      ++test->second_openings_returned_;
      return 0;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }

  void ShowOwner() {
    ShowWindow(owner_, SW_SHOW);
    UpdateWindow(owner_);
  }

  // Runs `open` on this thread (it returns when the dialog has closed)
  // while `drive` works the windows from a second thread.
  void Run(const std::function<void()>& open, const std::function<void()>& drive) {
    std::atomic<bool> returned{false};
    std::thread driver([&] {
      drive();
      while (!returned) {
        CloseAny();
        Sleep(50);
      }
    });
    open();
    returned = true;
    driver.join();
  }

  void RunOptions(const std::function<void()>& drive) {
    Run([this] { ShowOptionsDialog(context_); }, drive);
  }

  // The exchange folder of the last tick.
  std::string TickFolder() {
    std::lock_guard<std::mutex> lock(tick_mutex_);
    return Utf8(tick_folder_);
  }

  // The timer keeps ticking while whatever is open stays open.
  void ExpectTicking() {
    const int before = ticks_;
    EXPECT_TRUE(WaitUntil([&] { return ticks_ >= before + 3; })) << "the main window's timer stopped";
  }

  HINSTANCE instance_ = nullptr;
  HWND owner_ = nullptr;
  std::wstring root_;
  ProgramValues values_;
  std::unique_ptr<SettingsStore> store_;
  DialogContext context_;
  std::vector<std::int32_t> timer_calls_;
  std::atomic<int> ticks_{0};
  std::mutex tick_mutex_;
  Text tick_folder_;
  std::atomic<int> second_openings_returned_{0};
};

// ---------------------------------------------------------------- frmOption2

TEST_F(DialogsTest, OptionsDialogShowsTheExchangeFolderTheIntervalAndTwoEmptyBoxes) {
  values_.BackupFolder = ToText(root_ + L"\\Backup");  // picked at an earlier opening
  values_.DatabaseFolder = ToText(root_);
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Utf8(TextOf(dialog)), "設定");
    EXPECT_EQ(TextOf(dialog, kIdTxtFolda), Utf8(root_ + L"\\Filemk"));
    EXPECT_EQ(TextOf(dialog, kIdTxtKosinTime), "1000");
    EXPECT_EQ(TextOf(dialog, kIdTxtBackupFolda), "");
    EXPECT_EQ(TextOf(dialog, kIdTxtTavikDB), "");
    PostMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_TRUE(timer_calls_.empty());
  EXPECT_EQ(StoredKosinTime(), "777");
}

TEST_F(DialogsTest, OptionsDialogIsLaidOutAsAFixedOwnedDialogInTwips) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE));
    EXPECT_NE(style & WS_CAPTION, 0u);
    EXPECT_NE(style & WS_SYSMENU, 0u);
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    EXPECT_NE(ex_style & WS_EX_DLGMODALFRAME, 0u);
    EXPECT_EQ(ex_style & WS_EX_APPWINDOW, 0u) << "no taskbar entry";
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), owner_);
    EXPECT_FALSE(IsWindowEnabled(owner_)) << "modal: the main window takes no input";

    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, Twips(4500));
    EXPECT_EQ(client.bottom, MulDiv(4116, [] {
      HDC screen = GetDC(nullptr);
      const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
      return dpi;
    }(), 1440));

    struct Expected {
      int id;
      const char* caption;  // nullptr: not checked
      int left, top, width, height;
    };
    const Expected expected[] = {
        {kIdTxtFolda, nullptr, 120, 600, 3372, 264},
        {kIdCmdFolda, "...", 3720, 600, 372, 252},
        {kIdOptionsCmdOK, "OK", 360, 3480, 1092, 372},
        {kIdOptionsCmdCancel, "キャンセル", 2160, 3480, 1092, 372},
        {kIdLabel1, "データ交信フォルダ", 240, 360, 2895, 255},
        {kIdLabel2, "データ交信の間隔", 360, 2790, 1815, 255},
        {kIdTxtKosinTime, nullptr, 2280, 2760, 732, 264},
        {kIdLabel3, "ミリ秒ごと", 3120, 2790, 855, 255},
        {kIdLabel4, "データのバックアップフォルダ", 120, 1200, 3135, 255},
        {kIdTxtBackupFolda, "", 120, 1440, 3372, 264},
        {kIdCmdBackupFolda, "...", 3720, 1440, 372, 252},
        {kIdLabel6, "FileMakerデータベースのフォルダ", 120, 1920, 3615, 255},
        {kIdTxtTavikDB, "", 120, 2160, 3372, 264},
        {kIdCmdTavikDB, "...", 3720, 2160, 372, 252},
    };
    // Creation order is focus order: the children in z-order, labels included.
    HWND child = GetWindow(dialog, GW_CHILD);
    for (const Expected& e : expected) {
      ASSERT_NE(child, nullptr);
      EXPECT_EQ(GetDlgCtrlID(child), e.id);
      HWND control = GetDlgItem(dialog, e.id);
      ASSERT_NE(control, nullptr) << e.id;
      if (e.caption != nullptr) {
        EXPECT_EQ(Utf8(TextOf(control)), e.caption);
      }
      RECT place{};
      GetWindowRect(control, &place);
      MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
      EXPECT_EQ(place.left, Twips(e.left)) << e.id;
      EXPECT_EQ(place.right - place.left, Twips(e.width)) << e.id;
      child = GetWindow(child, GW_HWNDNEXT);
    }

    // Locked boxes and the editable one.
    for (int id : {kIdTxtFolda, kIdTxtBackupFolda, kIdTxtTavikDB}) {
      EXPECT_NE(GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & ES_READONLY, 0) << id;
    }
    EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, kIdTxtKosinTime), GWL_STYLE) & ES_READONLY, 0);
    // Neither OK nor キャンセル is a default button.
    for (int id : {kIdOptionsCmdOK, kIdOptionsCmdCancel}) {
      EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & BS_DEFPUSHBUTTON, 0) << id;
    }
    // Tab stops in tab order, labels left out.
    std::vector<int> tab_order;
    HWND stop = GetDlgItem(dialog, kIdTxtFolda);
    for (int i = 0; i < 9 && stop != nullptr; ++i) {
      tab_order.push_back(GetDlgCtrlID(stop));
      stop = GetNextDlgTabItem(dialog, stop, FALSE);
    }
    EXPECT_EQ(tab_order, (std::vector<int>{kIdTxtFolda, kIdCmdFolda, kIdOptionsCmdOK, kIdOptionsCmdCancel,
                                           kIdTxtKosinTime, kIdTxtBackupFolda, kIdCmdBackupFolda, kIdTxtTavikDB,
                                           kIdCmdTavikDB}));
    EXPECT_EQ(GetDlgCtrlID(stop), kIdTxtFolda) << "the order wraps round";
    PostClick(dialog, kIdOptionsCmdCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_TRUE(IsWindowEnabled(owner_)) << "the main window takes input again";
}

struct OkCase {
  const char* typed;
  const char* stored;
  std::int32_t interval;
};

TEST_F(DialogsTest, OptionsOkStoresKosinTimeAndSetsTheTimerWithTheMainWindowHidden) {
  const OkCase cases[] = {{"150", "300", 300}, {"1000.5", "1000", 1000}, {"99999999999", "60000", 60000},
                          {" 2,500 ", "2500", 2500}};
  for (const OkCase& c : cases) {
    timer_calls_.clear();
    ASSERT_FALSE(IsWindowVisible(owner_));
    RunOptions([&] {
      HWND dialog = WaitFor(OptionsWindow);
      ASSERT_NE(dialog, nullptr);
      ExpectTicking();
      SetWindowTextW(GetDlgItem(dialog, kIdTxtKosinTime), Wide(c.typed).c_str());
      PostClick(dialog, kIdOptionsCmdOK);
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); })) << "OK with " << c.typed << " closes";
    });
    EXPECT_EQ(StoredKosinTime(), c.stored) << c.typed;
    EXPECT_EQ(values_.TickInterval, c.interval) << c.typed;
    EXPECT_EQ(timer_calls_, std::vector<std::int32_t>{c.interval}) << c.typed;
  }
}

TEST_F(DialogsTest, OptionsOkTypedWithTheMainWindowShownSetsTheTimerAtOnce) {
  ShowOwner();
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND box = GetDlgItem(dialog, kIdTxtKosinTime);
    FocusByClick(box);
    Type(box, L"2000");
    EXPECT_TRUE(WaitUntil([&] { return Utf8(TextOf(box)) == "2000"; })) << Utf8(TextOf(box));
    PostClick(dialog, kIdOptionsCmdOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_EQ(StoredKosinTime(), "2000");
  EXPECT_EQ(timer_calls_, std::vector<std::int32_t>{2000});
  EXPECT_TRUE(IsWindowEnabled(owner_));
}

TEST_F(DialogsTest, OptionsOkWithATextThatIsNoNumberShowsTheMessageAndStaysOpen) {
  for (const wchar_t* text : {L"abc", L"", L"&H10", L"¥100"}) {
    timer_calls_.clear();
    RunOptions([&] {
      HWND dialog = WaitFor(OptionsWindow);
      ASSERT_NE(dialog, nullptr);
      SetWindowTextW(GetDlgItem(dialog, kIdTxtKosinTime), text);
      PostClick(dialog, kIdOptionsCmdOK);
      HWND box = WaitFor(ProgramMessageBox);
      ASSERT_NE(box, nullptr) << "no message for " << Utf8(std::wstring(text));
      EXPECT_EQ(MessageBoxText(box), "数値を入力して下さい");
      EXPECT_EQ(GetWindow(box, GW_OWNER), dialog);
      ExpectTicking();
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(box); }));
      Sleep(200);
      EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog stays open";
      EXPECT_EQ(TextOf(dialog, kIdTxtKosinTime), Utf8(std::wstring(text))) << "the text stays as it was";
      PostClick(dialog, kIdOptionsCmdCancel);
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
    });
    EXPECT_EQ(StoredKosinTime(), "777") << "nothing stored";
    EXPECT_TRUE(timer_calls_.empty()) << "nothing applied";
    EXPECT_EQ(values_.TickInterval, 1000);
  }
}

TEST_F(DialogsTest, EnterAndEscapeInTheIntervalBoxPressNeitherButton) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND box = GetDlgItem(dialog, kIdTxtKosinTime);
    FocusByClick(box);
    SetWindowTextW(box, L"5000");
    PostKey(box, VK_RETURN);
    PostKey(box, VK_ESCAPE);
    Sleep(400);
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(StoredKosinTime(), "777");
    PostClick(dialog, kIdOptionsCmdCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_TRUE(timer_calls_.empty());
}

TEST_F(DialogsTest, TabMovesToOkAndEnterOnTheFocusedOkPressesIt) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    SetWindowTextW(GetDlgItem(dialog, kIdTxtKosinTime), L"4000");
    HWND first = GetDlgItem(dialog, kIdTxtFolda);
    FocusByClick(first);
    PostKey(first, VK_TAB);  // to cmdFolda
    PostKey(first, VK_TAB);  // to cmdOK
    Sleep(300);
    PostKey(GetDlgItem(dialog, kIdOptionsCmdOK), VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_EQ(StoredKosinTime(), "4000");
  EXPECT_EQ(timer_calls_, std::vector<std::int32_t>{4000});
}

TEST_F(DialogsTest, TheCloseBoxActsLikeCancel) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    SetWindowTextW(GetDlgItem(dialog, kIdTxtKosinTime), L"5000");
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_EQ(StoredKosinTime(), "777");
  EXPECT_TRUE(timer_calls_.empty());
  EXPECT_EQ(values_.TickInterval, 1000);
}

TEST_F(DialogsTest, ASecondOpeningWhileOneIsUpOnlyBringsTheFirstForward) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    PostMessageW(owner_, kOpenAgain, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return second_openings_returned_ == 1; }));
    int count = 0;
    for (HWND w = FindWindowExW(nullptr, nullptr, kOptionsWindowClass, nullptr); w != nullptr;
         w = FindWindowExW(nullptr, w, kOptionsWindowClass, nullptr)) {
      ++count;
    }
    EXPECT_EQ(count, 1);
    PostClick(dialog, kIdOptionsCmdCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
}

TEST_F(DialogsTest, TheIntervalBoxAndTxtFoldaHaveNoInputMethod) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    auto has_context = [&](int id) {
      return SendMessageW(owner_, kHasInputContext, 0, reinterpret_cast<LPARAM>(GetDlgItem(dialog, id))) != 0;
    };
    EXPECT_FALSE(has_context(kIdTxtKosinTime));
    EXPECT_FALSE(has_context(kIdTxtFolda));
    EXPECT_TRUE(has_context(kIdTxtBackupFolda)) << "a box left alone keeps its input method";
    PostClick(dialog, kIdOptionsCmdCancel);
  });
}

TEST_F(DialogsTest, AQuitWhileTheDialogIsOpenClosesItAndReachesTheOuterLoop) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND picker = Browse(dialog, kIdCmdFolda);
    ASSERT_NE(picker, nullptr);
    PostMessageW(owner_, kQuit, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker) && !IsWindow(dialog); }));
  });
  MSG message{};
  ASSERT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT posted again";
  EXPECT_EQ(message.wParam, 7u);
  EXPECT_TRUE(IsWindowEnabled(owner_));
  EXPECT_EQ(StoredKosinTime(), "777");
}

TEST_F(DialogsTest, ClosingTheMainWindowWhileTheDialogIsOpenEndsTheDialog) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    PostMessageW(owner_, WM_CLOSE, 0, 0);  // the main window goes, and its owned windows with it
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_FALSE(IsWindow(owner_));
  owner_ = nullptr;
  EXPECT_TRUE(timer_calls_.empty());
}

// ---------------------------------------------------------------- frmPictFolda

TEST_F(DialogsTest, PickerIsLaidOutAsAFixedDialogOwnedByTheOptionsDialog) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND picker = Browse(dialog, kIdCmdFolda);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(Utf8(TextOf(picker)), "フォルダ");
    EXPECT_EQ(GetWindow(picker, GW_OWNER), dialog);
    EXPECT_FALSE(IsWindowEnabled(dialog)) << "the options dialog takes no input meanwhile";
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(picker, GWL_STYLE));
    EXPECT_EQ(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), 0u);
    RECT client{};
    GetClientRect(picker, &client);
    EXPECT_EQ(client.right, Twips(3984));
    EXPECT_EQ(TextOf(picker, kIdPickerCmdOK), "O K");
    EXPECT_EQ(TextOf(picker, kIdPickerCmdCancel), "キャンセル");
    for (int id : {kIdPickerCmdOK, kIdPickerCmdCancel}) {
      EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(picker, id), GWL_STYLE) & BS_DEFPUSHBUTTON, 0) << id;
    }
    std::vector<int> tab_order;
    HWND stop = GetDlgItem(picker, kIdDrive1);
    for (int i = 0; i < 4 && stop != nullptr; ++i) {
      tab_order.push_back(GetDlgCtrlID(stop));
      stop = GetNextDlgTabItem(picker, stop, FALSE);
    }
    EXPECT_EQ(tab_order, (std::vector<int>{kIdDrive1, kIdDir1, kIdPickerCmdOK, kIdPickerCmdCancel}));
    RECT list{};
    GetWindowRect(GetDlgItem(picker, kIdDir1), &list);
    MapWindowPoints(nullptr, picker, reinterpret_cast<POINT*>(&list), 2);
    EXPECT_EQ(list.left, Twips(240));
    EXPECT_EQ(list.right - list.left, Twips(2412));
    ExpectTicking();
    // Enter and Escape in the folder tree press neither button.
    HWND dir1 = GetDlgItem(picker, kIdDir1);
    SingleClickEntry(dir1, "Filemk");
    PostKey(dir1, VK_RETURN);
    PostKey(dir1, VK_ESCAPE);
    Sleep(400);
    EXPECT_TRUE(IsWindowVisible(picker));
    PostClick(picker, kIdPickerCmdCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }));
    PostClick(dialog, kIdOptionsCmdCancel);
  });
}

TEST_F(DialogsTest, PickingASubfolderByDoubleClickFillsTxtFoldaAndTheExchangeFolderAndCancelKeepsIt) {
  const std::wstring exchange = root_ + L"\\Filemk";
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND picker = Browse(dialog, kIdCmdFolda);
    ASSERT_NE(picker, nullptr);
    HWND dir1 = GetDlgItem(picker, kIdDir1);
    // The starting folder with its ancestors, then its subfolders.
    const std::vector<std::string> entries = ListEntries(dir1);
    ASSERT_GE(entries.size(), 4u);
    EXPECT_EQ(entries.front(), "C:\\");
    EXPECT_EQ(Highlighted(dir1), "Filemk");
    EXPECT_NE(IndexOf(dir1, "sub1"), -1);
    EXPECT_NE(IndexOf(dir1, "sub2"), -1);
    EXPECT_NE(IndexOf(dir1, "データ"), -1);
    EXPECT_EQ(ComboShown(GetDlgItem(picker, kIdDrive1)).substr(0, 2), "c:") << "the drive of the starting folder";

    DoubleClickEntry(dir1, "sub2");
    EXPECT_TRUE(WaitUntil([&] { return IndexOf(dir1, "deeper") != -1; })) << "sub2 opens";
    EXPECT_EQ(Highlighted(dir1), "sub2");
    SingleClickEntry(dir1, "deeper");  // only highlights
    EXPECT_TRUE(WaitUntil([&] { return Highlighted(dir1) == "deeper"; }));
    PostClick(picker, kIdPickerCmdOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    EXPECT_EQ(TextOf(dialog, kIdTxtFolda), Utf8(exchange + L"\\sub2")) << "the open folder, not the highlighted one";
    EXPECT_TRUE(WaitUntil([&] { return TickFolder() == Utf8(exchange + L"\\sub2"); }))
        << "the next tick works in the new folder while the dialog is still open";
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(TextOf(dialog, kIdTxtBackupFolda), "");
    PostClick(dialog, kIdOptionsCmdCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_EQ(Utf8(values_.ExchangeFolder), Utf8(exchange + L"\\sub2")) << "the picker's OK applied it; キャンセル keeps it";
  EXPECT_EQ(values_.PickerTarget, PickerRow::PickExchange);
  EXPECT_TRUE(values_.BackupFolder.empty());
  EXPECT_TRUE(timer_calls_.empty());
  EXPECT_EQ(StoredKosinTime(), "777") << "no folder and no interval stored";
}

TEST_F(DialogsTest, PickerCancelAfterBrowsingChangesNothing) {
  const std::wstring exchange = root_ + L"\\Filemk";
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND picker = Browse(dialog, kIdCmdFolda);
    ASSERT_NE(picker, nullptr);
    HWND dir1 = GetDlgItem(picker, kIdDir1);
    DoubleClickEntry(dir1, "データ");
    EXPECT_TRUE(WaitUntil([&] { return Highlighted(dir1) == "データ"; }));
    PostClick(picker, kIdPickerCmdCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    EXPECT_EQ(TextOf(dialog, kIdTxtFolda), Utf8(exchange));
    // The close box of the picker acts the same.
    picker = Browse(dialog, kIdCmdFolda);
    ASSERT_NE(picker, nullptr);
    dir1 = GetDlgItem(picker, kIdDir1);
    DoubleClickEntry(dir1, "sub1");
    EXPECT_TRUE(WaitUntil([&] { return Highlighted(dir1) == "sub1"; }));
    PostMessageW(picker, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    EXPECT_EQ(TextOf(dialog, kIdTxtFolda), Utf8(exchange));
    PostClick(dialog, kIdOptionsCmdCancel);
  });
  EXPECT_EQ(Utf8(values_.ExchangeFolder), Utf8(exchange));
}

TEST_F(DialogsTest, ABackupFolderPickedShowsOnceAndIsTheNextStartingFolder) {
  const std::wstring backup = root_ + L"\\Backup";
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND picker = Browse(dialog, kIdCmdBackupFolda);
    ASSERT_NE(picker, nullptr);
    HWND dir1 = GetDlgItem(picker, kIdDir1);
    // Nothing picked for this row yet: the program's folder.
    EXPECT_EQ(Highlighted(dir1), LastName(ExeFolder()));
    // Up to the temporary folder's ancestors and down to Backup.
    std::wstring path = root_;
    std::vector<std::wstring> names;
    for (std::size_t slash = path.find(L'\\'); slash != std::wstring::npos; slash = path.find(L'\\', slash + 1)) {
      names.push_back(path.substr(slash + 1, path.find(L'\\', slash + 1) - slash - 1));
    }
    PickDrive(picker, "c:");
    EXPECT_TRUE(WaitUntil([&] { return FirstEntry(dir1) == "C:\\"; }));
    for (const std::wstring& name : names) {
      if (name.empty()) continue;
      DoubleClickEntry(dir1, Utf8(name).c_str());
      EXPECT_TRUE(WaitUntil([&] { return Highlighted(dir1) == Utf8(name); })) << Utf8(name);
    }
    DoubleClickEntry(dir1, "Backup");
    EXPECT_TRUE(WaitUntil([&] { return Highlighted(dir1) == "Backup"; }));
    PostClick(picker, kIdPickerCmdOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    EXPECT_EQ(TextOf(dialog, kIdTxtBackupFolda), Utf8(backup));
    EXPECT_EQ(TextOf(dialog, kIdTxtFolda), Utf8(root_ + L"\\Filemk"));
    PostClick(dialog, kIdOptionsCmdOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(dialog); }));
  });
  EXPECT_EQ(Utf8(values_.BackupFolder), Utf8(backup));
  EXPECT_EQ(timer_calls_, std::vector<std::int32_t>{1000});

  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(TextOf(dialog, kIdTxtBackupFolda), "") << "not shown again";
    HWND picker = Browse(dialog, kIdCmdBackupFolda);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(Highlighted(GetDlgItem(picker, kIdDir1)), "Backup") << "starts at the folder picked before";
    PostClick(picker, kIdPickerCmdCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    PostClick(dialog, kIdOptionsCmdCancel);
  });
}

TEST_F(DialogsTest, PickerOpensTheProgramFolderWhenTheExchangeFolderIsMissing) {
  values_.ExchangeFolder = ToText(root_ + L"\\Nowhere\\Filemk");
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND picker = Browse(dialog, kIdCmdFolda);
    ASSERT_NE(picker, nullptr);
    HWND dir1 = GetDlgItem(picker, kIdDir1);
    EXPECT_EQ(Highlighted(dir1), LastName(ExeFolder()));
    EXPECT_EQ(FirstEntry(dir1), Utf8(ExeFolder().substr(0, 3)));
    PostClick(picker, kIdPickerCmdOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    EXPECT_EQ(TextOf(dialog, kIdTxtFolda), Utf8(ExeFolder()));
    PostClick(dialog, kIdOptionsCmdCancel);
  });
  EXPECT_EQ(Utf8(values_.ExchangeFolder), Utf8(ExeFolder()));
}

TEST_F(DialogsTest, PickingADriveOpensItsCurrentFolderAndARootKeepsItsSeparator) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND picker = Browse(dialog, kIdCmdTavikDB);
    ASSERT_NE(picker, nullptr);
    HWND drive1 = GetDlgItem(picker, kIdDrive1);
    const std::vector<std::string> drives = ComboEntries(drive1);
    EXPECT_NE(std::find_if(drives.begin(), drives.end(), [](const std::string& d) { return d.rfind("c:", 0) == 0; }),
              drives.end());
    EXPECT_NE(std::find_if(drives.begin(), drives.end(), [](const std::string& d) { return d.rfind("z:", 0) == 0; }),
              drives.end());
    PickDrive(picker, "c:");
    HWND dir1 = GetDlgItem(picker, kIdDir1);
    EXPECT_TRUE(WaitUntil([&] { return FirstEntry(dir1) == "C:\\"; }));
    EXPECT_EQ(Highlighted(dir1), "C:\\") << "the process has not been elsewhere on C:";
    EXPECT_NE(IndexOf(dir1, "windows"), -1);
    PostClick(picker, kIdPickerCmdOK);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    EXPECT_EQ(TextOf(dialog, kIdTxtTavikDB), "C:\\");
    PostClick(dialog, kIdOptionsCmdCancel);
  });
  EXPECT_EQ(Utf8(values_.DatabaseFolder), "C:\\");
}

// A drive that is listed but cannot be read: a Wine drive letter whose
// folder is gone (the test command maps one, see CMakeLists.txt).
TEST_F(DialogsTest, PickingADriveThatCannotBeReadSendsTheListBackAndLeavesTheTree) {
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    HWND picker = Browse(dialog, kIdCmdFolda);
    ASSERT_NE(picker, nullptr);
    HWND drive1 = GetDlgItem(picker, kIdDrive1);
    HWND dir1 = GetDlgItem(picker, kIdDir1);
    const std::vector<std::string> drives = ComboEntries(drive1);
    const bool listed =
        std::find_if(drives.begin(), drives.end(), [](const std::string& d) { return d.rfind("q:", 0) == 0; }) !=
        drives.end();
    if (!listed) {
      ADD_FAILURE() << "drive Q: is not listed; the prefix needs dosdevices/q: pointing to a missing folder";
    } else {
      const std::vector<std::string> before = ListEntries(dir1);
      PickDrive(picker, "q:");
      Sleep(300);
      EXPECT_TRUE(WaitUntil([&] { return ComboShown(drive1).substr(0, 2) == "c:"; })) << ComboShown(drive1);
      EXPECT_EQ(ListEntries(dir1), before) << "the tree stays where it was";
      EXPECT_EQ(ProgramMessageBox(), nullptr) << "no message";
      PostClick(picker, kIdPickerCmdOK);
      EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
      EXPECT_EQ(TextOf(dialog, kIdTxtFolda), Utf8(root_ + L"\\Filemk"));
    }
    PostClick(dialog, kIdOptionsCmdCancel);
  });
}

// ---------------------------------------------------------------- screenshots

// Not a test: run by screenshots.sh, which photographs each dialog when
// its ".ready" file names the window's place and answers with ".done".
std::wstring ShotFile(const char* name) {
  char unix_dir[1024] = {};
  GetEnvironmentVariableA("TAVIK_SHOT_DIR", unix_dir, sizeof unix_dir);
  std::wstring dir = L"Z:" + Wide(unix_dir);
  std::replace(dir.begin(), dir.end(), L'/', L'\\');
  return dir + L"\\" + Wide(name);
}

void Photograph(HWND window, const char* name) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW | RDW_FRAME);
  Sleep(500);
  RECT place{};
  GetWindowRect(window, &place);
  const std::string line = std::to_string(place.right - place.left) + "x" + std::to_string(place.bottom - place.top) +
                           "+" + std::to_string(place.left) + "+" + std::to_string(place.top) + "\n";
  const std::wstring ready = ShotFile((std::string(name) + ".ready").c_str());
  HANDLE file = CreateFileW(ready.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
  CloseHandle(file);
  const std::wstring done = ShotFile((std::string(name) + ".done").c_str());
  for (int waited = 0; waited < 30000 && GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES; waited += 50) {
    Sleep(50);
  }
}

TEST_F(DialogsTest, DISABLED_Screenshots) {
  const std::wstring base = L"C:\\TavikView";
  for (const wchar_t* folder : {L"", L"\\Filemk", L"\\Filemk\\backup", L"\\Filemk\\データ", L"\\Filemk\\old"}) {
    CreateDirectoryW((base + folder).c_str(), nullptr);
  }
  values_.ExchangeFolder = ToText(base + L"\\Filemk");
  RunOptions([&] {
    HWND dialog = WaitFor(OptionsWindow);
    ASSERT_NE(dialog, nullptr);
    Photograph(dialog, "options-dialog");
    HWND picker = Browse(dialog, kIdCmdFolda);
    ASSERT_NE(picker, nullptr);
    Photograph(picker, "folder-picker");
    PostClick(picker, kIdPickerCmdCancel);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(picker); }));
    PostClick(dialog, kIdOptionsCmdCancel);
  });
  RemoveTree(base);
}

// ---------------------------------------------------------------- cmdStartUp

std::wstring StartupFolder() {
  PWSTR folder = nullptr;
  std::wstring path;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_Startup, KF_FLAG_CREATE, nullptr, &folder))) path = folder;
  CoTaskMemFree(folder);
  return path;
}

// The target of a shortcut file, read back through IShellLinkW.
std::string ShortcutTarget(const std::wstring& file) {
  std::string target = "<unreadable>";
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
      if (SUCCEEDED(persist->Load(file.c_str(), STGM_READ))) {
        wchar_t path[MAX_PATH + 1] = {};
        if (SUCCEEDED(link->GetPath(path, MAX_PATH + 1, nullptr, SLGP_RAWPATH))) target = Utf8(std::wstring(path));
        wchar_t arguments[MAX_PATH + 1] = {};
        if (SUCCEEDED(link->GetArguments(arguments, MAX_PATH + 1)) && arguments[0] != 0) target += " <arguments>";
      }
      persist->Release();
    }
    link->Release();
  }
  CoUninitialize();
  return target;
}

TEST_F(DialogsTest, StartUpPutsAShortcutToTavikFMExeIntoTheStartupFolder) {
  const std::wstring startup = StartupFolder();
  ASSERT_FALSE(startup.empty());
  const std::wstring shortcut = startup + Wide("\\TavikFMのショートカット.lnk");
  DeleteFileW(shortcut.c_str());
  for (int click = 1; click <= 2; ++click) {  // a second click writes it again
    std::string message;
    Run([this] { RegisterStartupShortcut(owner_); },
        [&] {
          HWND box = WaitFor(ProgramMessageBox);
          ASSERT_NE(box, nullptr);
          message = MessageBoxText(box);
          EXPECT_EQ(GetWindow(box, GW_OWNER), owner_);
          PostMessageW(box, WM_COMMAND, IDOK, 0);
        });
    EXPECT_EQ(message, "ｽﾀｰﾄｱｯﾌﾟに登録しました") << "click " << click;
    EXPECT_NE(GetFileAttributesW(shortcut.c_str()), INVALID_FILE_ATTRIBUTES) << "click " << click;
    EXPECT_EQ(ShortcutTarget(shortcut), Utf8(ExeFolder() + L"\\tavikFM.exe"))
        << "the program folder and tavikFM.exe, whatever this program is called";
  }
  // Wine would start it with the next session of this prefix.
  DeleteFileW(shortcut.c_str());
}

TEST_F(DialogsTest, StartUpTellsOfAFailureWhenTheShortcutCannotBeWritten) {
  const std::wstring startup = StartupFolder();
  ASSERT_FALSE(startup.empty());
  const std::wstring shortcut = startup + Wide("\\TavikFMのショートカット.lnk");
  DeleteFileW(shortcut.c_str());
  ASSERT_TRUE(CreateDirectoryW(shortcut.c_str(), nullptr)) << "a folder in the shortcut's place";
  std::string message;
  Run([this] { RegisterStartupShortcut(owner_); },
      [&] {
        HWND box = WaitFor(ProgramMessageBox);
        ASSERT_NE(box, nullptr);
        message = MessageBoxText(box);
        PostMessageW(box, WM_COMMAND, IDOK, 0);
      });
  RemoveDirectoryW(shortcut.c_str());
  EXPECT_EQ(message, "ｽﾀｰﾄｱｯﾌﾟ登録に失敗しました");
}

TEST_F(DialogsTest, StartUpWorksOnAThreadAlreadyInTheMultithreadedApartment) {
  const std::wstring shortcut = StartupFolder() + Wide("\\TavikFMのショートカット.lnk");
  DeleteFileW(shortcut.c_str());
  std::string message;
  std::thread other([&] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    std::thread closer([&] {
      HWND box = WaitFor(ProgramMessageBox);
      if (box == nullptr) return;
      message = MessageBoxText(box);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    });
    RegisterStartupShortcut(nullptr);
    closer.join();
    // COM is still usable here: the operation did not uninitialise it.
    IShellLinkW* link = nullptr;
    EXPECT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                           reinterpret_cast<void**>(&link))));
    if (link != nullptr) link->Release();
    CoUninitialize();
  });
  other.join();
  EXPECT_EQ(message, "ｽﾀｰﾄｱｯﾌﾟに登録しました");
  EXPECT_EQ(ShortcutTarget(shortcut), Utf8(ExeFolder() + L"\\tavikFM.exe"));
  DeleteFileW(shortcut.c_str());
}

}  // namespace
}  // namespace tavik
