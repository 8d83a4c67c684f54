// Patients per second stored in the table `tavik` of the ODBC data source
// "FileMaker5" (SQLite3 ODBC from tools/odbc-test-env.sh):
//
//   StorePatient/<workload>/pooled     PatientGateway::StorePatient (lookup,
//                                      then update or insert, a connection
//                                      opened and closed for each), pooling on
//   StorePatient/<workload>/unpooled   the same, pooling off
//   OneConnection/<workload>/kept-open the same statements over one connection
//                                      kept open: what the driver itself can do
//
// Workloads:
//   new_patients        chart numbers not yet stored: lookup finds nothing, INSERT
//   changed_patients    1000 stored patients, each file with changed details:
//                       lookup finds the row, UPDATE rewrites it
//   unchanged_patients  the same, the details as stored: SQLite sees that the
//                       row does not change and writes nothing, so no commit
//                       reaches the disk; this shows the connection and
//                       statement costs that the disk hides in the other two
//
// Connection pooling is a setting of the whole process, so one run measures
// one mode, chosen by --mode=pooled|unpooled|kept-open (default pooled):
//
//   eval "$(tools/odbc-test-env.sh /tmp/bench-odbc)"
//   bench_patient_store --mode=pooled
//   ODBCSYSINI=DIR bench_patient_store --mode=unpooled   # DIR/odbcinst.ini: Pooling=No
//   bench_patient_store --mode=kept-open
//
// unixODBC (2.3.11) decides pooling by odbcinst.ini alone: with Pooling=Yes
// (as the test configuration says) it pools whatever the program asks for,
// with Pooling=No it does not pool even when the program asks. So the
// unpooled run needs an odbcinst.ini with Pooling=No; bench/run.sh prepares
// one. The counter db_files_open_after tells whether closed connections were
// in fact kept: 1 with pooling, 0 without.
//
// The SQLite3 ODBC driver has no wide entry points, so unixODBC converts the
// statement text for it through the codeset of LC_CTYPE, and properly only
// from the second connection of the process on: test::PrepareTestOdbc sees
// to both.
//
// Without TAVIK_TEST_ODBC=1 (set by tools/odbc-test-env.sh) nothing is run.
#include <benchmark/benchmark.h>

#include "bench_table.h"
#include "support/test_support.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "patient_file_writer.h"
#include "patientdb/odbc.h"
#include "patientdb/patient_gateway.h"
#include "patientdb/statements.h"

namespace {

using tavik::PatientRecord;
using tavik::Text;
using tavik::TextView;

enum class Mode { Pooled, Unpooled, KeptOpen };
enum class Workload { NewPatients, ChangedPatients, UnchangedPatients };

constexpr std::uint64_t kStoredPatients = 1000;
constexpr std::uint64_t kStoredFirst = 500001;
constexpr std::size_t kChartWidth = 6;

Mode g_mode = Mode::Pooled;
std::uint64_t g_next_new_chart = 100001;
std::uint64_t g_visit = 0;

bool Pooling() { return g_mode == Mode::Pooled; }

const char* ModeName() {
  switch (g_mode) {
    case Mode::Pooled: return "pooled";
    case Mode::Unpooled: return "unpooled";
    case Mode::KeptOpen: return "kept-open";
  }
  return "";
}

const char* WorkloadName(Workload workload) {
  switch (workload) {
    case Workload::NewPatients: return "new_patients";
    case Workload::ChangedPatients: return "changed_patients";
    case Workload::UnchangedPatients: return "unchanged_patients";
  }
  return "";
}

// The environment for arranging the table; allocated with the same pooling
// request as the gateway's, so that the process asks for one mode only.
tavik::odbc::Environment& SetupEnvironment() {
  static tavik::odbc::Environment environment(Pooling());
  tavik::test::PrepareTestOdbc();
  return environment;
}

// The stored patients, generated.
std::vector<PatientRecord> StoredPatients() {
  tavik::viewer::PatientGenerator generator(kStoredFirst);
  std::vector<PatientRecord> patients;
  for (std::uint64_t i = 0; i < kStoredPatients; ++i) {
    PatientRecord r = generator.Next(tavik::viewer::ChartNumber(kStoredFirst + i, kChartWidth), i + 1);
    patients.push_back(std::move(r));
  }
  return patients;
}

// A fresh table (the program's columns plus Memo, which it never touches;
// an index on KrNo, as a patient table would have), holding the stored
// patients unless the workload wants it empty. The rows go in with
// multi-row INSERTs of 50: a few commits instead of a thousand.
void PrepareTable(Workload workload, const std::vector<PatientRecord>& patients) {
  tavik::odbc::Connection connection(SetupEnvironment(), tavik::kDataSource, u"", u"");
  tavik::bench::CreatePatientTable(connection, false);
  if (workload == Workload::NewPatients) return;
  tavik::bench::InsertRows(connection, patients, 50);
}

// The patients of one benchmark run, one per iteration.
class Patients {
 public:
  explicit Patients(Workload workload) : workload_(workload), patients_(StoredPatients()) {
    PrepareTable(workload_, patients_);
  }

  const PatientRecord& Next() {
    PatientRecord& r = patients_[next_++ % patients_.size()];
    switch (workload_) {
      case Workload::NewPatients: r.PID = tavik::viewer::ChartNumber(g_next_new_chart++, kChartWidth); break;
      case Workload::ChangedPatients: r.PInf1 = u"visit " + tavik::viewer::ChartNumber(++g_visit, 1); break;
      case Workload::UnchangedPatients: break;
    }
    return r;
  }

 private:
  Workload workload_;
  std::vector<PatientRecord> patients_;
  std::size_t next_ = 0;
};

// Database files the process holds open: with pooling, a connection closed
// by the program stays open in the driver manager's pool.
int OpenDatabaseFiles() {
  int count = 0;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", ec)) {
    std::error_code link_ec;
    const auto target = std::filesystem::read_symlink(entry.path(), link_ec);
    if (!link_ec && target.extension() == ".fp5") ++count;
  }
  return count;
}

void Report(benchmark::State& state, std::int64_t inserted, std::int64_t updated) {
  state.counters["patients/s"] =
      benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["inserted"] = static_cast<double>(inserted);
  state.counters["updated"] = static_cast<double>(updated);
}

void BM_StorePatient(benchmark::State& state, Workload workload) {
  Patients patients(workload);
  tavik::PatientGateway gateway(tavik::PatientGateway::Options{Text(tavik::kDataSource), Pooling()});
  std::int64_t inserted = 0;
  std::int64_t updated = 0;
  for (auto _ : state) {
    if (gateway.StorePatient(patients.Next()) == tavik::StoreAction::Inserted) {
      ++inserted;
    } else {
      ++updated;
    }
  }
  Report(state, inserted, updated);
  state.counters["db_files_open_after"] = OpenDatabaseFiles();
}

// The gateway's statements, over one connection opened once.
void BM_OneConnection(benchmark::State& state, Workload workload) {
  Patients patients(workload);
  tavik::odbc::Connection connection(SetupEnvironment(), tavik::kDataSource, u"", u"");
  std::int64_t inserted = 0;
  std::int64_t updated = 0;
  for (auto _ : state) {
    const PatientRecord& record = patients.Next();
    bool found = false;
    {
      tavik::odbc::Statement lookup(connection);
      lookup.RequestStaticReadOnlyCursor();
      lookup.ExecDirect(tavik::BuildLookupStatement(record.PID));
      found = lookup.Fetch();
      if (found) benchmark::DoNotOptimize(lookup.GetText(lookup.FindColumn(u"KrName")));
    }
    tavik::odbc::Statement store(connection);
    if (found) {
      store.ExecDirect(tavik::BuildUpdateStatement(record));
      ++updated;
    } else {
      store.ExecDirect(tavik::BuildInsertStatement(record));
      ++inserted;
    }
  }
  Report(state, inserted, updated);
}

}  // namespace

int main(int argc, char** argv) {
  tavik::test::PrepareTestOdbc();
  // Take --mode out before the benchmark library sees the arguments.
  std::vector<std::string> modes;
  std::vector<char*> args = tavik::bench::TakeOption(argc, argv, "--mode=", modes);
  for (const std::string& mode : modes) {
    if (mode == "pooled") {
      g_mode = Mode::Pooled;
    } else if (mode == "unpooled") {
      g_mode = Mode::Unpooled;
    } else if (mode == "kept-open") {
      g_mode = Mode::KeptOpen;
    } else {
      std::cerr << "bench_patient_store: --mode must be pooled, unpooled or kept-open\n";
      return 2;
    }
  }
  const char* configured = std::getenv("TAVIK_TEST_ODBC");
  if (configured == nullptr || std::strcmp(configured, "1") != 0) {
    std::cerr << "bench_patient_store: skipped: TAVIK_TEST_ODBC is not set. Set up the data source "
                 "\"FileMaker5\" first:\n  eval \"$(tools/odbc-test-env.sh /tmp/bench-odbc)\"\n"
                 "or run bench/run.sh.\n";
    return 0;
  }

  for (const Workload workload : {Workload::NewPatients, Workload::ChangedPatients, Workload::UnchangedPatients}) {
    const std::string name = std::string(WorkloadName(workload)) + "/" + ModeName();
    auto* benchmark = g_mode == Mode::KeptOpen
                          ? benchmark::RegisterBenchmark(("OneConnection/" + name).c_str(), BM_OneConnection, workload)
                          : benchmark::RegisterBenchmark(("StorePatient/" + name).c_str(), BM_StorePatient, workload);
    benchmark->UseRealTime()->Unit(benchmark::kMicrosecond);
  }

  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 2;
  try {
    benchmark::RunSpecifiedBenchmarks();
  } catch (const tavik::DatabaseError& error) {
    std::cerr << "bench_patient_store: " << error.what() << "\n";
    return 1;
  }
  benchmark::Shutdown();
  return 0;
}
