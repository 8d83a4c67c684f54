#include "gui_harness.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "patientdb/odbc.h"

namespace tavik::gui {
namespace {

constexpr wchar_t kSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

std::wstring SettingsKey(const wchar_t* application) {
  return std::wstring(kSettingsRoot) + application + L"\\Settings";
}

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[4096];
  const DWORD length = GetEnvironmentVariableW(name, buffer, 4096);
  return length > 0 && length < 4096 ? std::wstring(buffer, length) : std::wstring();
}

std::wstring BuildPath(const wchar_t* variable, const char* built_in) {
  const std::wstring from_env = Env(variable);
  if (!from_env.empty()) {
    return from_env.find(L':') == 1 ? from_env : WindowsPath(Utf8(from_env));
  }
  return WindowsPath(built_in);
}

}  // namespace

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), size);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                       0, nullptr, nullptr);
  std::string utf8(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), size,
                      nullptr, nullptr);
  return utf8;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (done()) return true;
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::wstring WindowsPath(const std::string& path) {
  std::wstring wide = Wide(path);
  if (wide.size() > 1 && wide[1] == L':') return wide;
  std::replace(wide.begin(), wide.end(), L'/', L'\\');
  return L"Z:" + wide;
}

std::wstring ProgramExe() { return BuildPath(L"TAVIK_GUI_EXE", TAVIK_GUI_EXE_DEFAULT); }
std::wstring ViewerSimExe() { return BuildPath(L"TAVIK_GUI_VIEWER_SIM", TAVIK_GUI_VIEWER_SIM_DEFAULT); }
std::wstring OpenerExe() { return BuildPath(L"TAVIK_GUI_OPENER", TAVIK_GUI_OPENER_DEFAULT); }

void WriteSetting(const wchar_t* application, const wchar_t* key, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, SettingsKey(application).c_str(), 0, nullptr, 0,
                      KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS) {
    return;
  }
  RegSetValueExW(handle, key, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
}

std::optional<std::wstring> ReadSetting(const wchar_t* application, const wchar_t* key) {
  wchar_t buffer[1024];
  DWORD size = sizeof(buffer);
  if (RegGetValueW(HKEY_CURRENT_USER, SettingsKey(application).c_str(), key, RRF_RT_REG_SZ, nullptr,
                   buffer, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return std::wstring(buffer);
}

void DeleteSetting(const wchar_t* application, const wchar_t* key) {
  RegDeleteKeyValueW(HKEY_CURRENT_USER, SettingsKey(application).c_str(), key);
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void WriteText(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::string ReadText(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
    bytes.append(buffer, read);
  }
  CloseHandle(file);
  return bytes;
}

std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\" + pattern).c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = path + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        RemoveTree(full);
      } else {
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

std::wstring WindowText(HWND window) {
  wchar_t buffer[512] = L"";
  const LRESULT length = SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer),
                                             SMTO_ABORTIFHUNG, 5000, nullptr);
  (void)length;
  return buffer;
}

std::wstring ClassName(HWND window) {
  wchar_t buffer[256] = L"";
  GetClassNameW(window, buffer, 256);
  return buffer;
}

namespace {
struct EnumState {
  DWORD process_id;
  std::vector<HWND> windows;
};
BOOL CALLBACK CollectWindow(HWND window, LPARAM state_pointer) {
  auto* state = reinterpret_cast<EnumState*>(state_pointer);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == state->process_id) state->windows.push_back(window);
  return TRUE;
}
BOOL CALLBACK CollectChild(HWND window, LPARAM list_pointer) {
  reinterpret_cast<std::vector<HWND>*>(list_pointer)->push_back(window);
  return TRUE;
}
}  // namespace

std::vector<HWND> TopLevelWindows(DWORD process_id) {
  EnumState state{process_id, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&state));
  return state.windows;
}

HWND FindTopLevel(DWORD process_id, const wchar_t* class_name, const wchar_t* caption) {
  for (HWND window : TopLevelWindows(process_id)) {
    if (class_name != nullptr && ClassName(window) != class_name) continue;
    if (caption != nullptr && WindowText(window) != caption) continue;
    return window;
  }
  return nullptr;
}

std::vector<std::wstring> ChildTexts(HWND parent) {
  std::vector<HWND> children;
  EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
  std::vector<std::wstring> texts;
  for (HWND child : children) texts.push_back(WindowText(child));
  return texts;
}

std::optional<std::wstring> MessageBoxText(HWND box) {
  HWND text = GetDlgItem(box, 0xFFFF);
  if (text == nullptr) return std::nullopt;
  return WindowText(text);
}

void PressOk(HWND box) { PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }

PROCESS_INFORMATION StartProcess(const std::wstring& command_line, bool quiet) {
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  HANDLE nowhere = INVALID_HANDLE_VALUE;
  if (quiet) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                          OPEN_EXISTING, 0, nullptr);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = nowhere;
    startup.hStdError = nowhere;
  }
  PROCESS_INFORMATION process{};
  std::wstring line = command_line;
  const BOOL started = CreateProcessW(nullptr, line.data(), nullptr, nullptr, quiet ? TRUE : FALSE, 0,
                                      nullptr, nullptr, &startup, &process);
  if (nowhere != INVALID_HANDLE_VALUE) CloseHandle(nowhere);
  return started ? process : PROCESS_INFORMATION{};
}

ProgramUnderTest::ProgramUnderTest() {
  static unsigned counter = 0;
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  root_ = std::wstring(temp) + L"tavikgui-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  RemoveTree(root_);
  app_ = root_ + L"\\app";
  data_ = root_ + L"\\data";
  log_ = root_ + L"\\log.txt";
  CreateDirectoryW(root_.c_str(), nullptr);
  CreateDirectoryW(app_.c_str(), nullptr);
  CreateDirectoryW(data_.c_str(), nullptr);
  CreateDirectoryW(exchange_folder().c_str(), nullptr);
  CopyFileW(ProgramExe().c_str(), (app_ + L"\\tavikFM.exe").c_str(), FALSE);
  WriteText(app_ + L"\\tavik.fp5", "");
  SetEnvironmentVariableW(L"TAVIKFM_TEST_LOG", log_.c_str());
  WriteSetting(L"TavikView", L"Folda", data_);
  DeleteSetting(L"TavikFM", L"KosinTime");
  DeleteSetting(L"TavikFM", L"Visible");
}

ProgramUnderTest::~ProgramUnderTest() {
  if (process_.hProcess != nullptr) {
    if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT) {
      // Message boxes first, then the window; as a last resort, end it.
      for (HWND window : TopLevelWindows(process_.dwProcessId)) {
        if (ClassName(window) == L"#32770") PostMessageW(window, WM_CLOSE, 0, 0);
      }
      if (HWND main = MainWindow()) PostMessageW(main, WM_CLOSE, 0, 0);
      if (WaitForSingleObject(process_.hProcess, 10000) == WAIT_TIMEOUT) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 5000);
      }
    }
    CloseHandle(process_.hProcess);
    CloseHandle(process_.hThread);
  }
  DeleteSetting(L"TavikFM", L"KosinTime");
  DeleteSetting(L"TavikFM", L"Visible");
  RemoveTree(root_);
}

DWORD ProgramUnderTest::Start() {
  const std::wstring exe = app_ + L"\\tavikFM.exe";
  process_ = StartProcess(L"\"" + exe + L"\"");
  return process_.dwProcessId;
}

bool ProgramUnderTest::WaitLoaded() { return WaitLog("loaded"); }

HWND ProgramUnderTest::MainWindow() const {
  return FindTopLevel(process_.dwProcessId, L"TavikFM.frmMain");
}

bool ProgramUnderTest::WaitExit(std::chrono::milliseconds timeout) {
  if (process_.hProcess == nullptr) return true;
  return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

bool ProgramUnderTest::Close() {
  HWND main = MainWindow();
  if (main == nullptr) return WaitExit();
  PostMessageW(main, WM_CLOSE, 0, 0);
  return WaitExit();
}

std::vector<std::string> ProgramUnderTest::Log() const {
  std::vector<std::string> lines;
  const std::string text = ReadText(log_);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

bool ProgramUnderTest::LogHas(const std::string& line) const {
  const auto lines = Log();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::size_t ProgramUnderTest::LogCount(const std::string& prefix) const {
  std::size_t count = 0;
  for (const auto& line : Log()) {
    if (line.compare(0, prefix.size(), prefix) == 0) ++count;
  }
  return count;
}

bool ProgramUnderTest::WaitLog(const std::string& line, std::chrono::milliseconds timeout) const {
  return WaitUntil([&] { return LogHas(line); }, timeout);
}

HWND ProgramUnderTest::WaitMessageBox(std::chrono::milliseconds timeout) const {
  HWND box = nullptr;
  WaitUntil(
      [&] {
        box = FindTopLevel(process_.dwProcessId, L"#32770", L"TavikFM");
        return box != nullptr && IsWindowVisible(box);
      },
      timeout);
  return box;
}

namespace {
odbc::Environment& TableEnvironment() {
  static odbc::Environment environment(false);
  return environment;
}
void ExecSql(const char16_t* sql) {
  odbc::Connection connection(TableEnvironment(), u"FileMaker5", u"", u"");
  odbc::Statement statement(connection);
  statement.ExecDirect(sql);
}
}  // namespace

bool DataSourceConfigured() { return Env(L"TAVIK_TEST_ODBC") == L"1"; }

void ResetPatientTable() {
  try {
    ExecSql(u"DROP TABLE tavik");
  } catch (const std::exception&) {
    // not there yet
  }
  ExecSql(u"CREATE TABLE tavik (KrNo VARCHAR(4000), KrName VARCHAR(4000), PKana VARCHAR(4000), "
          u"PBDate VARCHAR(4000), PSex VARCHAR(4000), PZip VARCHAR(4000), PAddr VARCHAR(4000), "
          u"PTel VARCHAR(4000), PFax VARCHAR(4000), PInf1 VARCHAR(4000))");
}

std::vector<std::string> StoredCharts() {
  std::vector<std::string> charts;
  try {
    odbc::Connection connection(TableEnvironment(), u"FileMaker5", u"", u"");
    odbc::Statement statement(connection);
    statement.ExecDirect(u"SELECT KrNo FROM tavik");
    while (statement.Fetch()) {
      const auto value = statement.GetText(1);
      charts.push_back(value ? ToUtf8(*value) : std::string("<null>"));
    }
  } catch (const std::exception&) {
  }
  std::sort(charts.begin(), charts.end());
  return charts;
}

}  // namespace tavik::gui
