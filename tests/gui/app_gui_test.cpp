// tavikFM.exe under Wine and Xvfb: its real windows driven by messages,
// as the shell and the user reach them.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "../../src/app/resource.h"
#include "gui_harness.h"

namespace tavik::gui {
namespace {

using namespace std::chrono_literals;

constexpr wchar_t kMainClass[] = L"TavikFM.frmMain";
constexpr UINT kTrayMessage = WM_MBUTTONDOWN;

std::string U8(const std::wstring& text) { return Utf8(text); }

// Sends a tray notification the way the shell does: the callback message
// with the icon's id and the mouse message.
void TrayNotify(HWND main, UINT mouse_message) {
  PostMessageW(main, kTrayMessage, 1, static_cast<LPARAM>(mouse_message));
}

// Waits until the window has handled everything posted before.
void Settle(HWND main) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result);
}

std::string TrayAddLine() {
#ifdef _WIN64
  return "tray NIM_ADD ok cbSize=104 uID=1 uFlags=7 uCallbackMessage=519 tip=TavikFM tipfield=ok";
#else
  return "tray NIM_ADD ok cbSize=88 uID=1 uFlags=7 uCallbackMessage=519 tip=TavikFM tipfield=ok";
#endif
}

class GuiEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    // ".fp5" opens with the stand-in for FileMaker Pro.
    const std::wstring command = L"\"" + OpenerExe() + L"\" \"%1\"";
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, L".fp5", 0, nullptr, 0, KEY_SET_VALUE,
                    nullptr, &key, nullptr);
    const std::wstring type = L"TavikGuiTest.fp5";
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(type.c_str()),
                   static_cast<DWORD>((type.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    RegCreateKeyExW(HKEY_CLASSES_ROOT, L"TavikGuiTest.fp5\\shell\\open\\command",
                    0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

class Gui : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableW(L"DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no X display for Wine's windows";
  }
  // Starts the program and waits for its load sequence to end normally.
  HWND StartLoaded() {
    EXPECT_NE(program.Start(), 0u) << "tavikFM.exe did not start";
    EXPECT_TRUE(program.WaitLoaded()) << "the load sequence did not end";
    HWND main = nullptr;
    WaitUntil([&] { return (main = program.MainWindow()) != nullptr; });
    return main;
  }
  ProgramUnderTest program;
};

TEST_F(Gui, ANormalStartPutsTheIconUpOpensTheDatabaseAndShowsTheWindow) {
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(program.LogHas(TrayAddLine()));
  EXPECT_TRUE(program.LogHas("timer 1000"));
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(U8(WindowText(main)), "TavikFM");
  // L8: the database file through its associated application.
  EXPECT_TRUE(WaitUntil([&] {
    for (const auto& line : program.Log()) {
      if (line.rfind("opened ", 0) == 0 && line.find("tavik.fp5") != std::string::npos) return true;
    }
    return false;
  })) << "tavik.fp5 was not opened";
  // Fixed single border, no minimise or maximise box.
  const LONG style = GetWindowLongW(main, GWL_STYLE);
  EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
  EXPECT_NE(style & WS_CAPTION, 0);
  EXPECT_TRUE(program.Close());
}

TEST_F(Gui, TheMainWindowCarriesItsControlsAndMenusWithTheirCaptions) {
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  HWND check1 = GetDlgItem(main, IDC_CHECK1);
  HWND hide = GetDlgItem(main, IDC_CMDHIDE);
  HWND startup = GetDlgItem(main, IDC_CMDSTARTUP);
  EXPECT_EQ(U8(WindowText(check1)), "次回からこのWindowを表示しない");
  EXPECT_EQ(U8(WindowText(hide)), "常駐させる");
  EXPECT_EQ(U8(WindowText(startup)), "自動起動させる");
  EXPECT_EQ(SendMessageW(check1, BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // Tab order: Check1, cmdHide, cmdStartUp.
  EXPECT_EQ(GetWindow(check1, GW_HWNDNEXT), hide);
  EXPECT_EQ(GetWindow(hide, GW_HWNDNEXT), startup);
  // Client area 3696 x 1560 twips at the screen's resolution.
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSX);
  ReleaseDC(nullptr, screen);
  RECT client{};
  GetClientRect(main, &client);
  EXPECT_EQ(client.right, MulDiv(3696, dpi, 1440));
  EXPECT_EQ(client.bottom, MulDiv(1560, dpi, 1440));
  RECT box{};
  GetWindowRect(hide, &box);
  POINT corner{box.left, box.top};
  ScreenToClient(main, &corner);
  EXPECT_EQ(corner.x, MulDiv(120, dpi, 1440));
  EXPECT_EQ(corner.y, MulDiv(360, dpi, 1440));
  // The menus as the window holds them (read inside the program).
  EXPECT_TRUE(program.LogHas("menubar ﾌｧｲﾙ(&F)|ﾍﾙﾌﾟ(&H)"));
  EXPECT_TRUE(program.LogHas("menu 0 環境設定(&O)|-|終了(&X)"));
  EXPECT_TRUE(program.LogHas("menu 1 ﾍﾙﾌﾟ目次(&H)|-|ﾊﾞｰｼﾞｮﾝ情報(&A)"));
  EXPECT_TRUE(program.LogHas("traymenu ﾒﾆｭｰ"));
  EXPECT_TRUE(program.Close());
}

TEST_F(Gui, TrayNotificationsBeepShowAndOpenThePopup) {
  WriteSetting(L"TavikFM", L"Visible", L"1");
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(SendMessageW(GetDlgItem(main, IDC_CHECK1), BM_GETCHECK, 0, 0), BST_CHECKED);

  TrayNotify(main, WM_LBUTTONDOWN);
  EXPECT_TRUE(program.WaitLog("beep", 10s));
  EXPECT_FALSE(IsWindowVisible(main));

  // Button up, mouse move, middle and right double clicks: nothing.
  const UINT quiet[] = {WM_LBUTTONUP, WM_RBUTTONUP, WM_MOUSEMOVE, WM_MBUTTONDOWN, WM_RBUTTONDBLCLK};
  for (UINT code : quiet) {
    TrayNotify(main, code);
  }
  // A genuine middle click inside the client area: nothing either.
  PostMessageW(main, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(40, 20));
  Settle(main);
  EXPECT_EQ(program.LogCount("beep"), 1u);
  EXPECT_EQ(program.LogCount("popup"), 0u);
  EXPECT_FALSE(IsWindowVisible(main));

  TrayNotify(main, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10s));
  // Showing does not touch the check box.
  EXPECT_EQ(SendMessageW(GetDlgItem(main, IDC_CHECK1), BM_GETCHECK, 0, 0), BST_CHECKED);

  TrayNotify(main, WM_RBUTTONDOWN);
  EXPECT_TRUE(program.WaitLog("popup ﾍﾙﾌﾟ(&H)|ﾊﾞｰｼﾞｮﾝ情報(&A)|-|環境設定(&O)|-|終了(&X)", 10s));
  HWND menu = nullptr;
  EXPECT_TRUE(WaitUntil([&] { return (menu = FindWindowW(L"#32768", nullptr)) != nullptr; }, 10s))
      << "no popup menu window";
  // Escape closes the popup; the program goes on.
  if (menu != nullptr) {
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    PostMessageW(menu, WM_KEYUP, VK_ESCAPE, 0);
  }
  EXPECT_TRUE(program.WaitLog("popup closed", 10s));
  EXPECT_TRUE(program.Close());
  EXPECT_EQ(ReadSetting(L"TavikFM", L"Visible").value_or(L"?"), L"1");
}

TEST_F(Gui, CmdHideHidesTheWindowAndTheProgramStaysInTheTray) {
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  SendMessageW(GetDlgItem(main, IDC_CMDHIDE), BM_CLICK, 0, 0);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) == FALSE; }, 10s));
  EXPECT_EQ(program.LogCount("tray NIM_DELETE"), 0u);
  EXPECT_EQ(WaitForSingleObject(program.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(program.Close());
}

TEST_F(Gui, TheVersionDialogReadsTitleAndVersionAndIsOwnedByTheMainWindow) {
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  for (int id : {IDM_HELP_ABOUT, IDM_POP_ABOUT}) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    HWND about = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
      about = FindTopLevel(program.process_id(), L"#32770", L"TavikFMのﾊﾞｰｼﾞｮﾝ情報");
      return about != nullptr && IsWindowVisible(about);
    })) << "no version dialog for command " << id;
    EXPECT_EQ(GetWindow(about, GW_OWNER), main);
    EXPECT_EQ(U8(WindowText(GetDlgItem(about, IDC_LBLTITLE))), "TavikFM");
    EXPECT_EQ(U8(WindowText(GetDlgItem(about, IDC_LBLVERSION))), "ﾊﾞｰｼﾞｮﾝ 1.0.0");
    EXPECT_EQ(U8(WindowText(GetDlgItem(about, IDOK))), "OK");
    const LONG style = GetWindowLongW(about, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    // Escape presses OK (the cancel button).
    PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDCANCEL, 0), 0);
    EXPECT_TRUE(WaitUntil([&] { return IsWindow(about) == FALSE; }, 10s));
  }
  EXPECT_TRUE(program.Close());
}

TEST_F(Gui, DialogsFromThePopupOpenWithoutShowingAHiddenMainWindow) {
  WriteSetting(L"TavikFM", L"Visible", L"1");
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_POP_ABOUT, 0), 0);
  HWND about = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    about = FindTopLevel(program.process_id(), L"#32770", L"TavikFMのﾊﾞｰｼﾞｮﾝ情報");
    return about != nullptr && IsWindowVisible(about);
  }));
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(GetWindow(about, GW_OWNER), main);
  // Ticks go on while the dialog is open.
  const std::size_t before = program.LogCount("timer");
  (void)before;
  PostMessageW(about, WM_COMMAND, MAKEWPARAM(IDOK, 0), 0);
  EXPECT_TRUE(WaitUntil([&] { return IsWindow(about) == FALSE; }, 10s));
  EXPECT_TRUE(program.Close());
}

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM list) {
  reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
  return TRUE;
}

std::vector<HWND> AllTopLevelWindows() {
  std::vector<HWND> all;
  EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&all));
  return all;
}

// ENDSESSION_LOGOFF as the message carries it.
LPARAM LogoffFlag() {
  const ULONG_PTR flag = ENDSESSION_LOGOFF;
  LPARAM value = 0;
  std::memcpy(&value, &flag, sizeof(value));
  return value;
}

// The help engine's own question about a missing file, if it shows one:
// answered "No". Returns the question's text.
std::string DismissHelpEngineQuestion(const std::wstring& help_file) {
  std::string text;
  WaitUntil(
      [&] {
        for (HWND window : AllTopLevelWindows()) {
          if (ClassName(window) != L"#32770" || !IsWindowVisible(window)) continue;
          for (const std::wstring& child : ChildTexts(window)) {
            if (child.find(help_file) == std::wstring::npos) continue;
            text = U8(child);
            PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
            return true;
          }
        }
        return false;
      },
      10s);
  return text;
}

TEST_F(Gui, HelpCallsWinHelpWithTheProgramFoldersHelpFile) {
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  const std::wstring help_file = program.app_folder() + L"\\tavikfm.hlp";
  const std::string expected = "WinHelpA " + U8(help_file);
  int calls = 0;
  for (int id : {IDM_HELP_INDEX, IDM_POP_HELP}) {
    PostMessageW(main, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    ++calls;
    EXPECT_TRUE(WaitUntil([&] { return program.LogCount(expected) == static_cast<std::size_t>(calls); },
                          10s))
        << "command " << id;
    // The help file is missing: the help engine, not the program, says so.
    EXPECT_NE(DismissHelpEngineQuestion(help_file), "") << "command " << id;
    Settle(main);
  }
  EXPECT_EQ(program.LogCount("message "), 0u);
  EXPECT_TRUE(program.Close());
}

struct ExitPath {
  const char* name;
  std::function<void(HWND)> close;
};

class GuiExit : public Gui, public ::testing::WithParamInterface<ExitPath> {};

TEST_P(GuiExit, WritesVisibleFromCheck1RemovesTheIconAndEnds) {
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  SendMessageW(GetDlgItem(main, IDC_CHECK1), BM_CLICK, 0, 0);
  GetParam().close(main);
  EXPECT_TRUE(program.WaitExit()) << GetParam().name;
  EXPECT_EQ(ReadSetting(L"TavikFM", L"Visible").value_or(L"<absent>"), L"1") << GetParam().name;
  EXPECT_EQ(program.LogCount("tray NIM_DELETE ok"), 1u) << GetParam().name;
  EXPECT_TRUE(program.LogHas("unloaded")) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Shutdown, GuiExit,
    ::testing::Values(
        ExitPath{"the close box",
                 [](HWND main) { PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        ExitPath{"WM_CLOSE (taskkill)", [](HWND main) { PostMessageW(main, WM_CLOSE, 0, 0); }},
        ExitPath{"the file menu's exit",
                 [](HWND main) { PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_FILE_EXIT, 0), 0); }},
        ExitPath{"the popup's exit",
                 [](HWND main) { PostMessageW(main, WM_COMMAND, MAKEWPARAM(IDM_POP_EXIT, 0), 0); }},
        ExitPath{"logging off", [](HWND main) {
                   DWORD_PTR result = 0;
                   SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, LogoffFlag(), SMTO_NORMAL,
                                       10000, &result);
                   SendMessageTimeoutW(main, WM_ENDSESSION, TRUE, LogoffFlag(), SMTO_NORMAL,
                                       10000, &result);
                 }}),
    [](const auto& row) { return "Path" + std::to_string(row.index); });

TEST_F(Gui, ASecondCopyIsRefusedAndTheFirstKeepsWorking) {
  WriteSetting(L"TavikFM", L"Visible", L"1");
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  PROCESS_INFORMATION second =
      StartProcess(L"\"" + program.app_folder() + L"\\tavikFM.exe\"");
  ASSERT_NE(second.hProcess, nullptr);
  HWND box = nullptr;
  EXPECT_TRUE(WaitUntil([&] {
    box = FindTopLevel(second.dwProcessId, L"#32770", L"TavikFM");
    return box != nullptr && IsWindowVisible(box);
  }));
  if (box != nullptr) {
    EXPECT_EQ(U8(MessageBoxText(box).value_or(L"?")), "TavikFM は既に起動されています");
    // No window of its own besides the message box.
    EXPECT_EQ(FindTopLevel(second.dwProcessId, kMainClass), nullptr);
    PressOk(box);
  }
  EXPECT_EQ(WaitForSingleObject(second.hProcess, 15000), static_cast<DWORD>(WAIT_OBJECT_0));
  DWORD code = 99;
  GetExitCodeProcess(second.hProcess, &code);
  EXPECT_EQ(code, 0u);
  CloseHandle(second.hProcess);
  CloseHandle(second.hThread);
  // One icon, and the setting untouched by the second copy.
  EXPECT_EQ(program.LogCount("tray NIM_ADD"), 1u);
  EXPECT_EQ(program.LogCount("loaded"), 1u);
  EXPECT_EQ(ReadSetting(L"TavikFM", L"Visible").value_or(L"?"), L"1");
  // The first still answers its tray icon.
  TrayNotify(main, WM_LBUTTONDOWN);
  EXPECT_TRUE(program.WaitLog("beep", 10s));
  EXPECT_TRUE(program.Close());
}

TEST_F(Gui, TaskbarCreatedPutsTheIconUpAgain) {
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  const UINT taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
  PostMessageW(main, taskbar_created, 0, 0);
  EXPECT_TRUE(program.WaitLog("TaskbarCreated", 10s));
  // Added again, or (the shell still holding it) brought up to date; when
  // Wine's shell is busy the program retries every two seconds.
  auto up_again = [&] {
    bool after = false;
    for (const auto& line : program.Log()) {
      if (line == "TaskbarCreated") after = true;
      if (after && (line.rfind("tray NIM_ADD ok", 0) == 0 || line.rfind("tray NIM_MODIFY ok", 0) == 0)) {
        return true;
      }
    }
    return false;
  };
  const auto deadline = std::chrono::steady_clock::now() + 15s;
  while (!up_again() && std::chrono::steady_clock::now() < deadline) {
    Settle(main);
    Sleep(100);
  }
  EXPECT_TRUE(up_again());
  EXPECT_TRUE(program.Close());
}

TEST_F(Gui, AFailedAddIsRetriedUntilTheShellTakesTheIcon) {
  SetEnvironmentVariableW(L"TAVIKFM_TEST_TRAY_FAILURES", L"2");
  HWND main = StartLoaded();
  SetEnvironmentVariableW(L"TAVIKFM_TEST_TRAY_FAILURES", nullptr);
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(program.WaitLog(TrayAddLine(), 15s));
  EXPECT_EQ(program.LogCount("tray NIM_ADD simulated shell not ready"), 2u);
  EXPECT_TRUE(program.Close());
}

// The start-up checks that stop the load sequence short.
struct DegradedCase {
  const char* name;
  std::function<void(ProgramUnderTest&)> arrange;
  const char* message;
};

class GuiDegraded : public Gui, public ::testing::WithParamInterface<DegradedCase> {};

TEST_P(GuiDegraded, ShowsTheMessageAndStaysInTheTrayHidden) {
  WriteSetting(L"TavikFM", L"Visible", L"1");
  GetParam().arrange(program);
  ASSERT_NE(program.Start(), 0u);
  HWND box = program.WaitMessageBox();
  ASSERT_NE(box, nullptr) << GetParam().name;
  EXPECT_EQ(U8(MessageBoxText(box).value_or(L"?")), GetParam().message) << GetParam().name;
  EXPECT_TRUE(program.LogHas(TrayAddLine())) << GetParam().name;
  PressOk(box);
  EXPECT_TRUE(program.WaitLoaded()) << GetParam().name;
  HWND main = program.MainWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main)) << GetParam().name;
  EXPECT_EQ(program.LogCount("timer"), 0u) << GetParam().name;
  // The tray icon still reaches the program.
  TrayNotify(main, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowVisible(main) != FALSE; }, 10s)) << GetParam().name;
  EXPECT_EQ(SendMessageW(GetDlgItem(main, IDC_CHECK1), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // Check1 was never set from the stored 1: the exit writes 0.
  EXPECT_TRUE(program.Close()) << GetParam().name;
  EXPECT_EQ(ReadSetting(L"TavikFM", L"Visible").value_or(L"?"), L"0") << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Load, GuiDegraded,
    ::testing::Values(
        DegradedCase{"missing exchange folder",
                     [](ProgramUnderTest& p) { RemoveDirectoryW(p.exchange_folder().c_str()); },
                     "データ交信フォルダが見つかりません。TavikViewの設定を確かめて下さい。"},
        DegradedCase{"missing database file",
                     [](ProgramUnderTest& p) { DeleteFileW((p.app_folder() + L"\\tavik.fp5").c_str()); },
                     "ﾌｧｲﾙﾒｰｶｰのﾃﾞｰﾀﾍﾞｰｽﾌｧｲﾙが見つかりません"},
        DegradedCase{"KosinTime not a number",
                     [](ProgramUnderTest&) { WriteSetting(L"TavikFM", L"KosinTime", L"abc"); },
                     "ｴﾗｰ: '13' - 型が一致しません。."}),
    [](const auto& row) { return "Case" + std::to_string(row.index); });

// End to end: patient files from the viewer simulator land in the table
// through the data source "FileMaker5", and their backups appear.
TEST_F(Gui, PatientFilesFromTheViewerLandInTheTableAndLeaveBackups) {
  if (!DataSourceConfigured()) GTEST_SKIP() << "no ODBC test data sources (tools/odbc-test-env.sh)";
  ResetPatientTable();
  // A backup of an earlier run is rotated at start.
  WriteText(program.exchange_folder() + L"\\old.bak", "Fun=REGIST\r\n");
  WriteSetting(L"TavikFM", L"KosinTime", L"300");
  HWND main = StartLoaded();
  ASSERT_NE(main, nullptr);
  EXPECT_TRUE(FileExists(program.exchange_folder() + L"\\old.bk2"));
  EXPECT_TRUE(program.LogHas("timer 300"));

  PROCESS_INFORMATION viewer = StartProcess(L"\"" + ViewerSimExe() + L"\" --dir \"" +
                                            program.exchange_folder() +
                                            L"\" --count 3 --first 700001",
                                            true);
  ASSERT_NE(viewer.hProcess, nullptr) << "viewer_sim did not start";
  WaitForSingleObject(viewer.hProcess, 30000);
  CloseHandle(viewer.hProcess);
  CloseHandle(viewer.hThread);

  const std::vector<std::string> expected{"700001", "700002", "700003"};
  std::vector<std::string> charts;
  EXPECT_TRUE(WaitUntil([&] { return (charts = StoredCharts()) == expected; }, 30s))
      << "rows: " << charts.size();
  EXPECT_TRUE(WaitUntil([&] { return ListFiles(program.exchange_folder(), L"*.bak").size() == 3; }, 10s));
  EXPECT_TRUE(ListFiles(program.exchange_folder(), L"*.fmr").empty());
  EXPECT_TRUE(program.Close());
}

}  // namespace
}  // namespace tavik::gui
