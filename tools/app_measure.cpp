// Measures the running program under Wine: the time from process start
// until the tray icon is up, and its private memory (PrivateUsage) at
// start and while it ticks with the viewer simulator dropping patients.
//
//   tavik_app_measure [SECONDS] [INTERVAL_MS] [idle]
//
// With "idle" no patients are dropped: only empty ticks.
// Uses the data source "FileMaker5" of the environment (ODBCINI and
// ODBCSYSINI, see tools/odbc-test-env.sh) and needs an X display.
#include <windows.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "gui_harness.h"

using namespace tavik::gui;
using Clock = std::chrono::steady_clock;

namespace {

double PrivateKiB(HANDLE process) {
  PROCESS_MEMORY_COUNTERS_EX counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                            sizeof(counters))) {
    return -1.0;
  }
  return static_cast<double>(counters.PrivateUsage) / 1024.0;
}

// The program's own last report of its memory (test log).
std::string LastMemoryLine(const ProgramUnderTest& program) {
  std::string last = "(none)";
  for (const auto& line : program.Log()) {
    if (line.rfind("memory ", 0) == 0) last = line;
  }
  return last;
}

double WorkingSetKiB(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  if (!GetProcessMemoryInfo(process, &counters, sizeof(counters))) return -1.0;
  return static_cast<double>(counters.WorkingSetSize) / 1024.0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int seconds = argc > 1 ? _wtoi(argv[1]) : 600;
  const std::wstring interval = argc > 2 ? argv[2] : L"1000";
  const bool idle = argc > 3 && std::wstring(argv[3]) == L"idle";
  ProgramUnderTest program;
  WriteSetting(L"TavikFM", L"KosinTime", interval);
  const auto started = Clock::now();
  if (program.Start() == 0) {
    std::printf("could not start tavikFM.exe\n");
    return 1;
  }
  if (!WaitUntil(
          [&] {
            for (const auto& line : program.Log()) {
              if (line.rfind("tray NIM_ADD ok", 0) == 0) return true;
            }
            return false;
          },
          std::chrono::seconds(60))) {
    std::printf("the tray icon did not come up\n");
    return 1;
  }
  const double icon_ms =
      std::chrono::duration<double, std::milli>(Clock::now() - started).count();
  program.WaitLoaded();
  const double loaded_ms =
      std::chrono::duration<double, std::milli>(Clock::now() - started).count();
  std::printf("start-up: icon up after %.0f ms, load sequence done after %.0f ms\n", icon_ms,
              loaded_ms);
  std::this_thread::sleep_for(std::chrono::seconds(2));
  const double start_private = PrivateKiB(program.process());
  std::printf("t=0s private %.0f KiB working set %.0f KiB; own report: %s\n", start_private,
              WorkingSetKiB(program.process()), LastMemoryLine(program).c_str());
  std::fflush(stdout);

  int chart = 800001;
  int dropped = 0;
  const auto end = Clock::now() + std::chrono::seconds(seconds);
  auto next_report = Clock::now() + std::chrono::seconds(60);
  while (Clock::now() < end) {
    PROCESS_INFORMATION viewer{};
    if (!idle) viewer = StartProcess(L"\"" + ViewerSimExe() + L"\" --dir \"" +
                                                  program.exchange_folder() + L"\" --count 5 --first " +
                                                  std::to_wstring(chart),
                                              true);
    if (viewer.hProcess != nullptr) {
      WaitForSingleObject(viewer.hProcess, 30000);
      CloseHandle(viewer.hProcess);
      CloseHandle(viewer.hThread);
      chart += 5;
      dropped += 5;
    }
    std::this_thread::sleep_for(std::chrono::seconds(5));
    if (Clock::now() >= next_report) {
      next_report += std::chrono::seconds(60);
      const auto elapsed =
          std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - started).count();
      std::printf("t=%llds private %.0f KiB working set %.0f KiB, %d files dropped, %zu left; "
                  "own report: %s\n",
                  static_cast<long long>(elapsed), PrivateKiB(program.process()),
                  WorkingSetKiB(program.process()), dropped,
                  ListFiles(program.exchange_folder(), L"*.fmr").size(),
                  LastMemoryLine(program).c_str());
      std::fflush(stdout);
    }
  }
  std::this_thread::sleep_for(std::chrono::seconds(3));
  const double end_private = PrivateKiB(program.process());
  std::printf("end: private %.0f KiB (start %.0f KiB, change %+.0f KiB), %d files dropped, %zu "
              "backups; own report: %s\n",
              end_private, start_private, end_private - start_private, dropped,
              ListFiles(program.exchange_folder(), L"*.bak").size(), LastMemoryLine(program).c_str());
  program.Close();
  return 0;
}
