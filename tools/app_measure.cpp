// tavik_app_measure: the running program measured from outside under Wine:
// the time from its start until its load sequence has shown the main
// window, and its memory (committed private bytes and working set, read
// with GetProcessMemoryInfo) at start and every minute while it ticks,
// with the viewer's files arriving or idle, and the files left unstored.
//
//   tavik_app_measure [SECONDS] [INTERVAL_MS] [idle]
//
// Runs a copy of tavikFM.exe in a program folder of its own under the
// temporary folder. Needs the data source "FileMaker5" of the environment
// (tools/odbc-test-env.sh) for the files to be stored, and an X display.
#include <windows.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/main_window_win32gui.h"
#include "patient_file_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

void SetSetting(const wchar_t* application, const wchar_t* key, const std::wstring& value) {
  const std::wstring path = std::wstring(L"Software\\VB and VBA Program Settings\\") + application + L"\\Settings";
  RegSetKeyValueW(HKEY_CURRENT_USER, path.c_str(), key, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void PrintMemory(HANDLE process, const char* when) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  GetProcessMemoryInfo(process, &counters, sizeof counters);
  // The commit charge: the private bytes (Wine leaves PrivateUsage empty).
  std::printf("%s: private %llu KiB, working set %llu KiB\n", when,
              static_cast<unsigned long long>(counters.PagefileUsage / 1024),
              static_cast<unsigned long long>(counters.WorkingSetSize / 1024));
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int seconds = argc > 1 ? _wtoi(argv[1]) : 600;
  const std::wstring interval = argc > 2 ? argv[2] : L"1000";
  const bool idle = argc > 3 && std::wstring(argv[3]) == L"idle";

  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring root = std::wstring(temp) + L"tavik-measure-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring exchange = root + L"\\Filemk";
  CreateDirectoryW(root.c_str(), nullptr);
  CreateDirectoryW(exchange.c_str(), nullptr);
  std::wstring exe = L"Z:" TAVIK_PROGRAM_EXE;
  for (wchar_t& c : exe) c = c == L'/' ? L'\\' : c;
  CopyFileW(exe.c_str(), (root + L"\\tavikFM.exe").c_str(), FALSE);
  WriteBytes(root + L"\\tavik.fp5", "");
  SetSetting(L"TavikView", L"Folda", root);
  SetSetting(L"TavikFM", L"KosinTime", interval);
  SetSetting(L"TavikFM", L"Visible", L"0");

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION program{};
  std::wstring line = L"\"" + root + L"\\tavikFM.exe\"";
  const auto started = Clock::now();
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &program)) {
    std::printf("tavikFM.exe did not start\n");
    return 1;
  }
  HWND main = nullptr;
  while (main == nullptr || !IsWindowVisible(main)) {
    main = FindWindowW(tavik::kMainWindowClass, nullptr);
    Sleep(5);
  }
  std::printf("start-up: the main window shown after %.0f ms\n",
              std::chrono::duration<double, std::milli>(Clock::now() - started).count());
  Sleep(2000);
  PrintMemory(program.hProcess, "t=0s");

  tavik::viewer::PatientGenerator patients(1);
  int chart = 800001;
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  auto next_report = Clock::now() + std::chrono::seconds(60);
  while (Clock::now() < end) {
    for (int i = 0; i < 5 && !idle; ++i, ++chart) {
      tavik::viewer::PatientFile file;
      file.record = patients.Next(tavik::DecimalText(chart), static_cast<std::uint64_t>(chart));
      const std::wstring name = exchange + L"\\" + std::to_wstring(chart);
      WriteBytes(name + L".tmp", tavik::viewer::PatientFileBytes(file));
      MoveFileW((name + L".tmp").c_str(), (name + L".fmr").c_str());
    }
    Sleep(5000);
    if (Clock::now() < next_report) continue;
    next_report += std::chrono::seconds(60);
    const std::string when =
        "t=" + std::to_string(std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count()) +
        "s, " + std::to_string(chart - 800001) + " files dropped";
    PrintMemory(program.hProcess, when.c_str());
  }
  PrintMemory(program.hProcess, "end");
  WIN32_FIND_DATAW found;
  int left = 0;
  HANDLE find = FindFirstFileW((exchange + L"\\*.fmr").c_str(), &found);
  for (BOOL more = find != INVALID_HANDLE_VALUE; more; more = FindNextFileW(find, &found)) ++left;
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  std::printf("%d files dropped, %d not stored\n", chart - 800001, left);
  PostMessageW(main, WM_CLOSE, 0, 0);
  WaitForSingleObject(program.hProcess, INFINITE);
  return 0;
}
