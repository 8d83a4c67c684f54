// The gateway against real ODBC drivers: SQLite3 behind "FileMaker5" and,
// when the test command runs it, PostgreSQL on loopback.
#include <gtest/gtest.h>

#include <random>

#include "patientdb/patient_gateway.h"
#include "patientdb/statements.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::QuerySql;
using test::ResetPatientTable;
using test::TestDataSources;
using test::U;
using test::Utf8;

struct Backend {
  const char* name;
  Text (*data_source)();
};

Text SqliteSource() { return TestDataSources().sqlite; }
Text PostgresSource() { return TestDataSources().postgres; }

class Gateway : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    if (!TestDataSources().configured) GTEST_SKIP() << "no ODBC test configuration (TAVIK_TEST_ODBC)";
    source_ = GetParam().data_source();
    if (source_.empty()) GTEST_SKIP() << GetParam().name << " is not running (TAVIK_TEST_PG)";
    ResetPatientTable(source_);
  }

  PatientGateway MakeGateway() {
    PatientGateway::Options options;
    options.data_source = source_;
    return PatientGateway(options);
  }

  // Every row, every column, ordered by chart number and memo.
  std::vector<test::Row> Table() {
    return QuerySql(source_,
                    u"SELECT KrNo,KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1,Memo "
                    u"FROM tavik ORDER BY KrNo,Memo");
  }

  void Exec(const char* sql) { test::ExecSql(source_, U(sql)); }

  Text source_;
};

PatientRecord Patient(const char* chart, const char* name) {
  PatientRecord r;
  r.PID = U(chart);
  r.PName = U(name);
  r.PKana = U("ﾔﾏﾀﾞ");
  r.PBDat = U("1960/01/02");
  r.PSex = U("1");
  r.PZip = U("105-0011");
  r.PAddr = U("東京都港区");
  r.PTel = U("03-1111");
  r.PFax = U("03-2222");
  r.PInf1 = U("memo");
  r.PInf2 = U("never stored");
  return r;
}

TEST_P(Gateway, InsertsANewPatientAndUpdatesAKnownOne) {
  PatientGateway gateway = MakeGateway();
  EXPECT_FALSE(gateway.LookupPatient(u"1024").found);
  EXPECT_EQ(gateway.StorePatient(Patient("1024", "山田 太郎")), StoreAction::Inserted);
  const PatientLookup found = gateway.LookupPatient(u"1024");
  ASSERT_TRUE(found.found);
  EXPECT_EQ(Utf8(*found.stored_name), "山田 太郎");
  EXPECT_EQ(gateway.StorePatient(Patient("1024", "山田 花子")), StoreAction::Updated);
  const auto rows = Table();
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(Utf8(*rows[0][1]), "山田 花子");
  EXPECT_EQ(Utf8(*rows[0][6]), "東京都港区");
}

// The lookup's three outcomes: a row (whatever its name holds), no row,
// or a failure that is never taken for "no row".
TEST_P(Gateway, ARowWithAnEmptyOrNullNameIsFoundAndUpdatedNotDuplicated) {
  Exec("INSERT INTO tavik(KrNo,KrName,Memo) VALUES ('1','','keep')");
  Exec("INSERT INTO tavik(KrNo,KrName,Memo) VALUES ('2',NULL,'keep')");
  PatientGateway gateway = MakeGateway();
  const PatientLookup empty = gateway.LookupPatient(u"1");
  EXPECT_TRUE(empty.found);
  EXPECT_EQ(empty.stored_name, Text());
  const PatientLookup null_name = gateway.LookupPatient(u"2");
  EXPECT_TRUE(null_name.found);
  EXPECT_FALSE(null_name.stored_name.has_value());
  EXPECT_EQ(gateway.StorePatient(Patient("1", "A")), StoreAction::Updated);
  EXPECT_EQ(gateway.StorePatient(Patient("2", "B")), StoreAction::Updated);
  const auto rows = Table();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(Utf8(*rows[0][1]), "A");
  EXPECT_EQ(Utf8(*rows[1][1]), "B");
  EXPECT_EQ(Utf8(*rows[0][10]), "keep");  // a column the program never writes
}

TEST_P(Gateway, SeveralRowsWithOneChartNumberAreAllRewritten) {
  Exec("INSERT INTO tavik(KrNo,KrName,Memo) VALUES ('7','old','a')");
  Exec("INSERT INTO tavik(KrNo,KrName,Memo) VALUES ('7','old','b')");
  Exec("INSERT INTO tavik(KrNo,KrName,Memo) VALUES ('8','other','c')");
  PatientGateway gateway = MakeGateway();
  EXPECT_EQ(gateway.StorePatient(Patient("7", "new")), StoreAction::Updated);
  const auto rows = Table();
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(Utf8(*rows[0][1]), "new");
  EXPECT_EQ(Utf8(*rows[1][1]), "new");
  EXPECT_EQ(Utf8(*rows[2][1]), "other");
}

TEST_P(Gateway, AMissingTableFailsTheLookupAndInsertsNothing) {
  Exec("DROP TABLE tavik");
  PatientGateway gateway = MakeGateway();
  try {
    gateway.StorePatient(Patient("1", "A"));
    FAIL() << "storing into a missing table succeeded";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.stage(), DatabaseStage::Statement);
    EXPECT_FALSE(e.sqlstate().empty());
    EXPECT_FALSE(e.message().empty());
  }
  ResetPatientTable(source_);
}

TEST_P(Gateway, AStatementErrorCarriesTheSqlstateAndTheDriversMessage) {
  PatientGateway gateway = MakeGateway();
  Exec("DROP TABLE tavik");
  try {
    gateway.UpdatePatient(Patient("1", "A"));
    FAIL() << "update of a missing table succeeded";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.sqlstate().size(), 5u) << e.what();
    EXPECT_NE(Utf8(e.message()).find("tavik"), std::string::npos) << e.what();
  }
  ResetPatientTable(source_);
}

// Values that break naive quoting or encoding come back exactly, and the
// rest of the table is untouched.
TEST_P(Gateway, RandomValuesRoundTripExactlyThroughInsertAndUpdate) {
  const char16_t* alphabet[] = {u"'", u"\"", u"\\", u";", u"--", u"/*", u"*/", u"%", u"_", u" ",
                                u"山", u"田", u"ｱ", u"ﾀﾞ", u"ｰ", u"a", u"Z", u"0", u"髙", u"①",
                                u"''", u"\t", u"？", u"〜", u"　", u"一"};
  std::mt19937 random(20261207);
  auto value = [&](std::size_t max_length) {
    std::uniform_int_distribution<std::size_t> length(0, max_length);
    std::uniform_int_distribution<std::size_t> pick(0, std::size(alphabet) - 1);
    Text v;
    const std::size_t n = length(random);
    while (v.size() < n) v += alphabet[pick(random)];
    if (v.size() > max_length) v.resize(max_length);
    return v;
  };
  Exec("INSERT INTO tavik(KrNo,KrName,Memo) VALUES ('bystander','keep me','memo')");
  PatientGateway gateway = MakeGateway();
  const int kPatients = 150;
  std::vector<PatientRecord> expected;
  for (int i = 0; i < kPatients; ++i) {
    PatientRecord r;
    r.PID = u"c" + DecimalText(i) + value(8);
    r.PName = value(i == 0 ? 2000 : 40);
    r.PKana = value(20);
    r.PBDat = value(10);
    r.PSex = value(2);
    r.PZip = value(8);
    r.PAddr = value(i == 1 ? 2000 : 60);
    r.PTel = value(13);
    r.PFax = value(13);
    r.PInf1 = value(30);
    ASSERT_EQ(gateway.StorePatient(r), StoreAction::Inserted) << Utf8(r.PID);
    if (i % 2 == 0) {  // half of them are rewritten with new values
      r.PName = value(40);
      r.PAddr = value(60);
      r.PInf1 = value(30);
      ASSERT_EQ(gateway.StorePatient(r), StoreAction::Updated) << Utf8(r.PID);
    }
    expected.push_back(r);
  }
  for (const PatientRecord& r : expected) {
    const auto rows = QuerySql(source_, u"SELECT KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1,Memo "
                                        u"FROM tavik WHERE KrNo='" + QuoteSqlValue(r.PID) + u"'");
    ASSERT_EQ(rows.size(), 1u) << Utf8(r.PID);
    const test::Row& row = rows[0];
    const Text* fields[] = {&r.PName, &r.PKana, &r.PBDat, &r.PSex, &r.PZip,
                            &r.PAddr, &r.PTel,  &r.PFax,  &r.PInf1};
    for (std::size_t k = 0; k < std::size(fields); ++k) {
      // PostgreSQL and SQLite both keep '' distinct from NULL.
      ASSERT_TRUE(row[k].has_value()) << Utf8(r.PID) << " column " << k;
      EXPECT_EQ(*row[k], *fields[k]) << Utf8(r.PID) << " column " << k;
    }
    EXPECT_FALSE(row[9].has_value());  // Memo never written
  }
  const auto bystander = QuerySql(source_, u"SELECT KrName,Memo FROM tavik WHERE KrNo='bystander'");
  ASSERT_EQ(bystander.size(), 1u);
  EXPECT_EQ(Utf8(*bystander[0][0]), "keep me");
  EXPECT_EQ(QuerySql(source_, u"SELECT KrNo FROM tavik").size(), expected.size() + 1);
}

INSTANTIATE_TEST_SUITE_P(Drivers, Gateway,
                         ::testing::Values(Backend{"SQLite3", SqliteSource},
                                           Backend{"PostgreSQL", PostgresSource}),
                         [](const auto& row) { return std::string(row.param.name); });

// Data sources that cannot serve: the failure reaches the caller as a
// connection failure, and nothing is taken for "no row".
struct BrokenSource {
  const char* name;
  Text (*data_source)();
};

class BrokenDataSource : public ::testing::TestWithParam<BrokenSource> {};

TEST_P(BrokenDataSource, FailsTheLookupAtTheConnection) {
  if (!TestDataSources().configured) GTEST_SKIP() << "no ODBC test configuration";
  PatientGateway::Options options;
  options.data_source = GetParam().data_source();
  PatientGateway gateway(options);
  try {
    gateway.LookupPatient(u"1");
    FAIL() << "lookup succeeded";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.stage(), DatabaseStage::Connect) << e.what();
    EXPECT_FALSE(e.sqlstate().empty());
  }
  EXPECT_THROW(gateway.StorePatient(Patient("1", "A")), DatabaseError);
}

INSTANTIATE_TEST_SUITE_P(
    Drivers, BrokenDataSource,
    ::testing::Values(BrokenSource{"DataSourceNotDefined", [] { return Text(u"NoSuchDataSource"); }},
                      BrokenSource{"DatabaseFileMissing", [] { return TestDataSources().sqlite_no_file; }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(GatewayTable, ATableMissingFromTheDatabaseFailsTheLookupAsAStatement) {
  if (!TestDataSources().configured) GTEST_SKIP() << "no ODBC test configuration";
  PatientGateway::Options options;
  options.data_source = TestDataSources().sqlite_no_table;
  PatientGateway gateway(options);
  try {
    gateway.LookupPatient(u"1");
    FAIL() << "lookup succeeded";
  } catch (const DatabaseError& e) {
    EXPECT_EQ(e.stage(), DatabaseStage::Statement) << e.what();
  }
}

}  // namespace
}  // namespace tavik
