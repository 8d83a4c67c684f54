// The main window's tick without windows, natively: AppController over the real
// file system, intake cycle and ODBC gateway, as tavikFM.exe runs it.
// Reports resident memory over 100,000 idle ticks and over 10,000 ticks
// that each find one patient file, and the CPU time of an idle tick.
//
//   bench_app_tick [IDLE_TICKS] [FILE_TICKS] [DATA_SOURCE]
//
// DATA_SOURCE defaults to "FileMaker5"; a name that is not defined makes
// every store fail at connect, which separates the program's own memory
// from the driver manager's and the driver's. With the test configuration
// the two differ much: unixODBC 2.3.11 opens iconv converters for the
// ANSI-only SQLite3 driver on every connection and closes few of them (of
// the 20 opened for each stored file here, 18 stay open), so resident
// memory grows by some 40 KiB a stored file; with an undefined name it
// stays flat.
// Uses the data source "FileMaker5" of the environment (ODBCINI and
// ODBCSYSINI, see tools/odbc-test-env.sh); its table is made anew first, as
// bench_table.h arranges it. With "FileMaker5", a patient file left in the
// exchange folder at the end (a store that failed) fails the run: the
// figures would not be those of the program at work.
#include <sys/resource.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/app_controller.h"
#include "bench_table.h"
#include "intake/file_system.h"
#include "intake/intake_cycle.h"
#include "patient_file_writer.h"
#include "patientdb/odbc.h"
#include "patientdb/patient_gateway.h"
#include "settings/program_values.h"
#include "settings/settings_store.h"
#include "support/test_support.h"

namespace fs = std::filesystem;
using namespace tavik;

namespace {

long ResidentKiB() {
  std::ifstream status("/proc/self/statm");
  long pages_total = 0;
  long pages_resident = 0;
  status >> pages_total >> pages_resident;
  return pages_resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The window's side: nothing to draw here.
class NoWindow final : public MainWindowView {
 public:
  void AddTrayIcon() override {}
  void RemoveTrayIcon() override {}
  void SetVisible(bool) override {}
  void SetStartHiddenBox(bool) override {}
  bool StartHiddenBox() const override { return false; }
  void SetIntakeInterval(std::int32_t milliseconds) override { ticking_ = milliseconds > 0; }
  void ShowMessage(const Text& text) override { std::printf("message: %s\n", ToUtf8(text).c_str()); }
  void OpenDocument(const Text&, const Text&) override {}
  void Beep() override {}
  void ShowTrayMenu() override {}
  unsigned WindowsVersion() const override { return 6; }
  bool ShowHelp(const Text&) override { return true; }
  bool RaiseHelpWindow() override { return false; }
  void OpenHelpWindow(HelpFile) override {}
  bool SaveStartupShortcut() override { return true; }
  bool ticking() const { return ticking_; }

 private:
  bool ticking_ = false;
};

Text Native(const fs::path& path) {
  std::string text = path.string();
  for (char& ch : text) {
    if (ch == '/') ch = '\\';
  }
  return FromUtf8(text);
}

}  // namespace

int main(int argc, char** argv) {
  const long idle_ticks = argc > 1 ? std::atol(argv[1]) : 100000;
  const long file_ticks = argc > 2 ? std::atol(argv[2]) : 10000;
  test::PrepareTestOdbc();

  const fs::path root = fs::temp_directory_path() / ("tavik-app-bench-" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "app");
  fs::create_directories(root / "data" / "Filemk");
  std::ofstream(root / "app" / "tavik.fp5").put('\0');

  PatientGateway::Options options;
  if (argc > 3) options.data_source = FromUtf8(argv[3]);
  PatientGateway gateway(options);
  std::printf("data source %s\n", ToUtf8(options.data_source).c_str());
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  try {
    odbc::Environment environment(false);
    odbc::Connection connection(environment, u"FileMaker5", u"", u"");
    bench::CreatePatientTable(connection, false);
  } catch (const std::exception& error) {
    std::printf("data source FileMaker5: %s\n", error.what());
  }

  auto store = std::make_unique<test::MemorySettingsStore>();
  store->WriteSetting(kViewerTitle, kSettingsSection, kKeyFolda, Native(root / "data"));
  ProgramValues values;
  IntakeCycle intake(PlatformFileSystem(), gateway);
  ProgramServices services{Native(root / "app"), *store, PlatformFileSystem(), intake, values};
  NoWindow window;
  AppController app(window, services);
  app.Start();
  if (!window.ticking()) {
    std::printf("the start-up sequence stopped short\n");
    return 1;
  }

  // Warm up, then idle ticks.
  for (int i = 0; i < 100; ++i) app.OnTick();
  const long rss_idle_start = ResidentKiB();
  const double cpu_idle_start = CpuSeconds();
  const auto wall_idle_start = std::chrono::steady_clock::now();
  for (long i = 0; i < idle_ticks; ++i) app.OnTick();
  const double cpu_idle = CpuSeconds() - cpu_idle_start;
  const double wall_idle = std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_idle_start).count();
  const long rss_idle_end = ResidentKiB();
  std::printf("idle: %ld ticks, CPU %.2f us/tick (wall %.2f us/tick), resident %ld -> %ld KiB (%+ld)\n", idle_ticks,
              cpu_idle / static_cast<double>(idle_ticks) * 1e6, wall_idle / static_cast<double>(idle_ticks) * 1e6,
              rss_idle_start, rss_idle_end, rss_idle_end - rss_idle_start);

  // Ticks that each find one new patient file.
  viewer::PatientGenerator generator(1);
  const fs::path exchange = root / "data" / "Filemk";
  long rss_files_mid = 0;
  const long rss_files_start = ResidentKiB();
  const double cpu_files_start = CpuSeconds();
  for (long i = 0; i < file_ticks; ++i) {
    viewer::PatientFile file;
    const Text chart = viewer::ChartNumber(static_cast<std::uint64_t>(300000 + i), 6);
    file.record = generator.Next(chart, static_cast<std::uint64_t>(i + 1));
    std::ofstream(exchange / (ToUtf8(chart) + ".fmr"), std::ios::binary) << viewer::PatientFileBytes(file);
    app.OnTick();
    // Backups of earlier ticks go, as the next start's rotation would
    // take them: the folder stays small.
    if (i % 1000 == 999) {
      for (const auto& entry : fs::directory_iterator(exchange)) {
        if (entry.path().extension() == ".bak") fs::remove(entry.path());
      }
    }
    if (i == file_ticks / 10) rss_files_mid = ResidentKiB();
  }
  const double cpu_files = CpuSeconds() - cpu_files_start;
  const long rss_files_end = ResidentKiB();
  std::size_t left = 0;
  for (const auto& entry : fs::directory_iterator(exchange)) {
    if (entry.path().extension() == ".fmr") ++left;
  }
  std::printf(
      "files: %ld ticks with one file each, CPU %.1f us/tick, resident %ld -> %ld KiB "
      "(after 10%%: %ld KiB; last 90%%: %+ld KiB), %zu files left\n",
      file_ticks, cpu_files / static_cast<double>(file_ticks) * 1e6, rss_files_start, rss_files_end, rss_files_mid,
      rss_files_end - rss_files_mid, left);
  app.RememberStartHidden();
  app.Shutdown();
  fs::remove_all(root);
  if (options.data_source == u"FileMaker5" && left != 0) {
    std::printf("patient files were left with the data source FileMaker5: its stores failed\n");
    return 1;
  }
  return 0;
}
