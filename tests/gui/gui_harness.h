// Drives tavikFM.exe from outside, as a user and the shell would: a
// prepared program folder, registry settings, the real windows found and
// sent messages, the program's test log read back.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tavik::gui {

std::wstring Wide(const std::string& utf8);
std::string Utf8(const std::wstring& wide);

// Polls `done` every 20 ms until it holds or `timeout` has passed.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A Unix path of the build as Wine sees it ("Z:\...").
std::wstring WindowsPath(const std::string& path);

// The built program and tools (from the environment or the build tree).
std::wstring ProgramExe();
std::wstring ViewerSimExe();
std::wstring OpenerExe();

// HKCU\Software\VB and VBA Program Settings\<application>\Settings.
void WriteSetting(const wchar_t* application, const wchar_t* key, const std::wstring& value);
std::optional<std::wstring> ReadSetting(const wchar_t* application, const wchar_t* key);
void DeleteSetting(const wchar_t* application, const wchar_t* key);

// Files.
bool FileExists(const std::wstring& path);
bool FolderExists(const std::wstring& path);
void WriteText(const std::wstring& path, const std::string& bytes);
std::string ReadText(const std::wstring& path);
std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern);
void RemoveTree(const std::wstring& path);

// Window texts and relations.
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
std::vector<HWND> TopLevelWindows(DWORD process_id);
HWND FindTopLevel(DWORD process_id, const wchar_t* class_name, const wchar_t* caption = nullptr);
std::vector<std::wstring> ChildTexts(HWND parent);
// A message box of the process: its text, and OK pressed.
std::optional<std::wstring> MessageBoxText(HWND box);
void PressOk(HWND box);

// One prepared program folder with its exchange folder and a running
// copy of the program.
class ProgramUnderTest {
 public:
  ProgramUnderTest();
  ~ProgramUnderTest();
  ProgramUnderTest(const ProgramUnderTest&) = delete;
  ProgramUnderTest& operator=(const ProgramUnderTest&) = delete;

  const std::wstring& root() const { return root_; }
  const std::wstring& app_folder() const { return app_; }
  std::wstring exchange_folder() const { return data_ + L"\\Filemk"; }
  const std::wstring& data_folder() const { return data_; }
  const std::wstring& log_path() const { return log_; }

  // Starts a copy of the program; returns its process id (0 on failure).
  DWORD Start();
  // Waits for the load sequence to have run to its end (the log says so).
  bool WaitLoaded();
  HWND MainWindow() const;
  DWORD process_id() const { return process_.dwProcessId; }
  HANDLE process() const { return process_.hProcess; }
  // True when the process has ended within the timeout.
  bool WaitExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // Closes the program through WM_CLOSE and waits for it to end.
  bool Close();
  // The test log's lines.
  std::vector<std::string> Log() const;
  bool LogHas(const std::string& line) const;
  std::size_t LogCount(const std::string& prefix) const;
  bool WaitLog(const std::string& line,
               std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
  // A message box of the program, once it shows.
  HWND WaitMessageBox(std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

 private:
  std::wstring root_;
  std::wstring app_;
  std::wstring data_;
  std::wstring log_;
  PROCESS_INFORMATION process_{};
};

// The patient table through the data source "FileMaker5" of the
// environment (ODBCINI/ODBCSYSINI as tools/odbc-test-env.sh writes them).
bool DataSourceConfigured();
void ResetPatientTable();
// The chart numbers (KrNo) in the table, sorted.
std::vector<std::string> StoredCharts();

// Starts a second process of `exe` with the environment of this one.
// `quiet`: its output goes nowhere.
PROCESS_INFORMATION StartProcess(const std::wstring& command_line, bool quiet = false);

}  // namespace tavik::gui
