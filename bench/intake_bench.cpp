// Intake ticks (IntakeCycle::ProcessExchangeFiles) on the platform file
// system, storing through PatientGateway into the table `tavik` of the ODBC
// data source "FileMaker5" (SQLite3 ODBC from tools/odbc-test-env.sh), with
// the gateway's default options (pooling requested) and whatever pooling
// odbcinst.ini allows (the test configuration says Pooling=Yes):
//
//   Backlog/<N>         one tick over N "REGIST" patient files (*.fmr) in a
//                       temporary exchange folder: every other file is a new
//                       patient (lookup finds nothing, INSERT), the others are
//                       patients the table already holds (UPDATE with changed
//                       details), so the table starts with N/2 rows. The
//                       folder (the files renamed back from their backup
//                       names) and the table are rebuilt before every tick,
//                       outside the timed region. Counters: files/s and the
//                       seconds of one tick (tick_s); bench/run.sh prints the
//                       ratio tick_s(10000) / tick_s(1000), which is 10 when
//                       a tick is linear in its backlog.
//   IdleTick/empty      one tick over an empty exchange folder: the two
//                       listings and nothing else. CPU time of the process.
//   IdleTick/backups:<M> the same with M backups ("*.bak") in the folder, as
//                       it stands after a backlog until the next start's
//                       rotation: the listings still read every entry.
//
// Every write commits on its own (autocommit), so with SQLite each stored
// file costs at least one sync of the database file, and in SQLite's default
// journal mode the creation and deletion of a journal file besides: the
// backlog figures are bounded by the disk and vary with it. To see the
// intake and ODBC alone, put the test database in WAL mode beforehand
// (sqlite3 DIR/tavik.fp5 'PRAGMA journal_mode=WAL'; it stays in the file),
// or add "SyncPragma=OFF" to the data source in DIR/odbc.ini.
//
// The idle ticks need no database and always run; the backlogs run only with
// TAVIK_TEST_ODBC=1 (set by tools/odbc-test-env.sh):
//
//   eval "$(tools/odbc-test-env.sh /tmp/bench-odbc)"
//   bench_intake [--backlogs=N,...]
//
// --backlogs gives the backlog sizes (default 1000,10000); bench/run.sh's
// smoke run takes a backlog of a few files.
#include <benchmark/benchmark.h>

#include "bench_table.h"
#include "support/test_support.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "intake/file_system.h"
#include "intake/intake_cycle.h"
#include "patient_file_writer.h"
#include "patientdb/odbc.h"
#include "patientdb/patient_gateway.h"
#include "patientdb/statements.h"

namespace {

namespace fs = std::filesystem;
using tavik::PatientRecord;
using tavik::Text;
using tavik::TextView;

constexpr std::uint64_t kFirstChart = 100000;
constexpr std::size_t kChartWidth = 6;
constexpr std::uint64_t kSeed = 20240917;

// A folder of its own under the system's temporary folder, removed at exit.
class TemporaryFolder {
 public:
  explicit TemporaryFolder(const std::string& name) {
    path_ = fs::temp_directory_path() / ("tavik-bench-intake-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TemporaryFolder() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  // The folder as the intake is given it.
  Text text() const { return tavik::FromUtf8(path_.string()); }

  // Empties the folder, then writes each file.
  void Fill(const std::vector<std::pair<std::string, std::string>>& files) const {
    fs::remove_all(path_);
    fs::create_directories(path_);
    for (const auto& [name, bytes] : files) {
      std::ofstream out(path_ / name, std::ios::binary);
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
      if (!out) {
        std::cerr << "bench_intake: cannot write " << (path_ / name).string() << "\n";
        std::exit(1);
      }
    }
  }

  // Puts the files of a backlog back under their own names: the tick
  // renamed each to its backup name and changed nothing else, so renaming
  // them back restores the folder. Deleting and writing them afresh would
  // leave thousands of just-deleted inodes behind, and ext4 looks past each
  // of them whenever a file is created (SQLite creates its journal once a
  // commit): the tick would pay for the setup.
  void Restore(const std::vector<std::pair<std::string, std::string>>& files) const {
    for (const auto& [name, bytes] : files) {
      const fs::path path = path_ / name;
      if (fs::exists(path)) continue;
      fs::rename(fs::path(path).replace_extension(".bak"), path);
    }
  }

  // Writes out what is still pending on the folder's file system, so that
  // the writeback of the setup does not fall on the first syncs of a tick.
  void Settle() const {
    const int fd = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::syncfs(fd);
    ::close(fd);
  }

 private:
  fs::path path_;
};

// The backlog: file i has chart number kFirstChart + i; the even ones are
// already in the table (as `stored`, with the details the file changes).
struct Backlog {
  std::vector<std::pair<std::string, std::string>> files;  // name, bytes (code page 932)
  std::vector<PatientRecord> stored;
};

Backlog MakeBacklog(std::size_t count) {
  Backlog backlog;
  tavik::viewer::PatientGenerator generator(kSeed);
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint64_t number = kFirstChart + i;
    tavik::viewer::PatientFile file;
    file.record = generator.Next(tavik::viewer::ChartNumber(number, kChartWidth), i + 1);
    PatientRecord& r = file.record;
    if (i % 2 == 0) {
      PatientRecord before = r;
      before.PInf1 = u"first visit";
      before.PTel = u"00-0000-0000";
      backlog.stored.push_back(std::move(before));
    }
    backlog.files.emplace_back(tavik::ToUtf8(r.PID) + ".fmr", tavik::viewer::PatientFileBytes(file));
  }
  return backlog;
}

// The environment for arranging the table, asking for pooling as the
// gateway does, so that the process asks for one mode only.
tavik::odbc::Environment& SetupEnvironment() {
  static tavik::odbc::Environment environment(true);
  tavik::test::PrepareTestOdbc();
  return environment;
}

// A fresh table in a compacted file (the program's columns plus Memo, which
// it never touches, and an index on KrNo, as in patient_store_bench.cpp)
// holding `rows`. The rows go in with multi-row INSERTs: a few commits
// rather than one a row.
void PrepareTable(const std::vector<PatientRecord>& rows) {
  tavik::odbc::Connection connection(SetupEnvironment(), tavik::kDataSource, u"", u"");
  // Compacted: every tick starts from a file of the same shape whatever
  // ran before.
  tavik::bench::CreatePatientTable(connection, true);
  tavik::bench::InsertRows(connection, rows, 250);
}

// Rows of the table, and how many of them carry the details of the files.
struct TableCount {
  long long rows = 0;
  long long updated = 0;
};

long long CountOf(tavik::odbc::Connection& connection, TextView sql) {
  tavik::odbc::Statement statement(connection);
  statement.ExecDirect(sql);
  if (!statement.Fetch()) return -1;
  const auto value = statement.GetText(1);
  return value ? std::stoll(tavik::ToUtf8(*value)) : -1;
}

TableCount CountTable() {
  tavik::odbc::Connection connection(SetupEnvironment(), tavik::kDataSource, u"", u"");
  TableCount count;
  count.rows = CountOf(connection, u"SELECT COUNT(*) FROM tavik");
  count.updated = CountOf(connection, u"SELECT COUNT(*) FROM tavik WHERE PInf1 <> 'first visit'");
  return count;
}

void BM_Backlog(benchmark::State& state, std::size_t count) {
  const Backlog backlog = MakeBacklog(count);
  const TemporaryFolder folder("backlog-" + std::to_string(count));
  const Text exchange_folder = folder.text();
  // One gateway and one cycle for the whole run, as the program keeps them.
  tavik::PatientGateway gateway;
  tavik::IntakeCycle cycle(tavik::PlatformFileSystem(), gateway);

  folder.Fill(backlog.files);
  for (auto _ : state) {
    state.PauseTiming();
    folder.Restore(backlog.files);
    PrepareTable(backlog.stored);
    folder.Settle();
    state.ResumeTiming();

    const tavik::IntakeReport report = cycle.ProcessExchangeFiles(exchange_folder);

    state.PauseTiming();
    // A tick that stored less than everything measured something else.
    const TableCount table = CountTable();
    if (report.stored != count || report.left != 0 || report.renamed_only != 0 ||
        table.rows != static_cast<long long>(count) || table.updated != static_cast<long long>(count)) {
      state.SkipWithError(("stored " + std::to_string(report.stored) + ", left " + std::to_string(report.left) +
                           "; table rows " + std::to_string(table.rows) + ", with the files' details " +
                           std::to_string(table.updated))
                              .c_str());
      state.ResumeTiming();
      break;
    }
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(count));
  // Rates are taken over the real time of the ticks alone: the paused
  // setup is not in it.
  const auto ticks = static_cast<double>(state.iterations());
  state.counters["files/s"] = benchmark::Counter(ticks * static_cast<double>(count), benchmark::Counter::kIsRate);
  state.counters["tick_s"] = benchmark::Counter(ticks, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_IdleTick(benchmark::State& state, std::size_t backups) {
  const TemporaryFolder folder("idle-" + std::to_string(backups));
  std::vector<std::pair<std::string, std::string>> files;
  for (std::size_t i = 0; i < backups; ++i) {
    files.emplace_back(std::to_string(kFirstChart + i) + ".bak", "Fun=xREGIST\r\n");
  }
  folder.Fill(files);
  const Text exchange_folder = folder.text();
  tavik::PatientGateway gateway;  // never reached: no patient file
  tavik::IntakeCycle cycle(tavik::PlatformFileSystem(), gateway);
  for (auto _ : state) {
    const tavik::IntakeReport report = cycle.ProcessExchangeFiles(exchange_folder);
    benchmark::DoNotOptimize(report);
    if (report.stored + report.renamed_only + report.left != 0) {
      state.SkipWithError("the idle folder holds patient files");
      break;
    }
  }
}

// "1000,10000" as numbers; empty when the text is not such a list.
std::vector<std::size_t> ParseSizes(const std::string& text) {
  std::vector<std::size_t> sizes;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const std::string item = text.substr(start, end - start);
    if (item.empty() || item.find_first_not_of("0123456789") != std::string::npos || item.size() > 9) {
      return {};
    }
    sizes.push_back(static_cast<std::size_t>(std::stoul(item)));
    start = end + 1;
  }
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  tavik::test::PrepareTestOdbc();
  // Take --backlogs out before the benchmark library sees the arguments.
  std::vector<std::size_t> backlogs = {1000, 10000};
  std::vector<std::string> given;
  std::vector<char*> args = tavik::bench::TakeOption(argc, argv, "--backlogs=", given);
  for (const std::string& sizes : given) {
    backlogs = ParseSizes(sizes);
    if (backlogs.empty()) {
      std::cerr << "bench_intake: --backlogs must be file counts separated by commas\n";
      return 2;
    }
  }

  benchmark::RegisterBenchmark("IdleTick/empty", BM_IdleTick, std::size_t{0})
      ->MeasureProcessCPUTime()
      ->Unit(benchmark::kMicrosecond);
  for (const std::size_t backups : {std::size_t{1000}, std::size_t{10000}}) {
    benchmark::RegisterBenchmark(("IdleTick/backups:" + std::to_string(backups)).c_str(), BM_IdleTick, backups)
        ->MeasureProcessCPUTime()
        ->Unit(benchmark::kMicrosecond);
  }

  const char* configured = std::getenv("TAVIK_TEST_ODBC");
  if (configured != nullptr && std::strcmp(configured, "1") == 0) {
    // A tick lasts seconds (each stored file waits for a sync), so the
    // library would stop after one; the counts are fixed instead: five
    // ticks below 10,000 files, two from there on (one tick of 10,000 took
    // about 20 s here).
    for (const std::size_t count : backlogs) {
      benchmark::RegisterBenchmark(("Backlog/" + std::to_string(count)).c_str(), BM_Backlog, count)
          ->Iterations(count < 10000 ? 5 : 2)
          ->UseRealTime()
          ->Unit(benchmark::kMillisecond);
    }
  } else {
    std::cerr << "bench_intake: backlogs skipped: TAVIK_TEST_ODBC is not set. Set up the data "
                 "source \"FileMaker5\" first:\n  eval \"$(tools/odbc-test-env.sh /tmp/bench-odbc)\"\n"
                 "or run bench/run.sh.\n";
  }

  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
  try {
    benchmark::RunSpecifiedBenchmarks();
  } catch (const tavik::DatabaseError& error) {
    std::cerr << "bench_intake: " << error.what() << "\n";
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
