// The patient table's statements, and the gateway through real ODBC drivers
// (SQLite3 behind "FileMaker5", PostgreSQL on loopback).
#include <gtest/gtest.h>

#include <algorithm>

#include "patientdb/patient_gateway.h"
#include "patientdb/statements.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using namespace test;  // NOLINT(google-build-using-namespace)

// PNo, PID, PName, PKana, PBDat, PSex, PZip, PAddr, PTel, PFax, PInf1 to PInf8, IName.
PatientRecord EveryFieldDifferent() {
  return {u"no", u"1024", u"Ab", u"ｱﾌﾞ", u"1950/01/02", u"1",  u"105", u"港区", u"03", u"04",
          u"i1", u"i2",   u"i3", u"i4",  u"i5",         u"i6", u"i7",  u"i8",   u"in"};
}

TEST(Statements, UpdateSetsNineColumnsOfTheRowsWithTheChartNumber) {
  EXPECT_EQ(BuildUpdateStatement(EveryFieldDifferent()),
            U("UPDATE tavik SET KrName='Ab',PKana='ｱﾌﾞ',PBDate='1950/01/02',PSex='1',PZip='105',PAddr='港区',"
              "PTel='03',PFax='04',PInf1='i1' WHERE KrNo='1024'"));
}

TEST(Statements, InsertGivesTheTenColumnsInOrder) {
  EXPECT_EQ(BuildInsertStatement(EveryFieldDifferent()),
            U("INSERT INTO tavik(KrNo,KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1) "
              "VALUES ('1024','Ab','ｱﾌﾞ','1950/01/02','1','105','港区','03','04','i1')"));
}

TEST(Statements, LookupSelectsAllColumnsByChartNumber) {
  EXPECT_EQ(BuildLookupStatement(u"0042"), u"SELECT * FROM tavik WHERE KrNo='0042'");
}

TEST(Statements, ValuesDoubleTheirApostrophesAndKeepEverythingElse) {
  EXPECT_EQ(QuoteSqlValue(u"it's"), u"it''s");
  EXPECT_EQ(QuoteSqlValue(u" \"a\"; -- "), u" \"a\"; -- ");
  EXPECT_EQ(QuoteSqlValue(Text(u"a\0b", 3)), Text(u"a\0b", 3));
  PatientRecord r;
  r.PID = u"1' OR '1'='1";
  r.PAddr = u"O'Hara";
  EXPECT_EQ(BuildLookupStatement(r.PID), u"SELECT * FROM tavik WHERE KrNo='1'' OR ''1''=''1'");
  EXPECT_NE(BuildInsertStatement(r).find(u"'O''Hara'"), Text::npos);
  EXPECT_NE(BuildUpdateStatement(r).find(u"WHERE KrNo='1'' OR ''1''=''1'"), Text::npos);
}

PatientRecord Patient(const char* chart, const char* name) {
  PatientRecord r;
  r.PID = U(chart);
  r.PName = U(name);
  r.PKana = u"ﾔﾏﾀﾞ";
  r.PAddr = u"東京都港区";
  r.PTel = u"03-1234";
  return r;
}

std::string RowOf(const PatientRecord& r, const char* memo = "<null>") {
  std::string row;
  for (const Text* value :
       {&r.PID, &r.PName, &r.PKana, &r.PBDat, &r.PSex, &r.PZip, &r.PAddr, &r.PTel, &r.PFax, &r.PInf1}) {
    row += Utf8(*value) + "|";
  }
  return row + memo;
}

class Gateway : public ::testing::TestWithParam<TextView> {
 protected:
  void SetUp() override { ResetPatientTable(source()); }
  Text source() const { return Text(GetParam()); }
  std::vector<std::string> rows() const { return PatientRows(source()); }
  PatientGateway gateway{PatientGateway::Options{Text(GetParam()), true, nullptr}};
};

TEST_P(Gateway, InsertsANewPatientAndUpdatesAKnownOneLeavingOtherColumns) {
  EXPECT_EQ(gateway.StorePatient(Patient("0042", "山田")), StoreAction::Inserted);
  ExecSql(source(), u"UPDATE tavik SET Memo='kept'");
  // Awkward characters, and a name longer than one read of the driver's text.
  PatientRecord changed = Patient("0042", "山田 花子");
  for (int i = 0; i < 700; ++i) changed.PName += i % 2 == 0 ? u"a" : u"山";
  changed.PKana = u"ｱｲｳｴｵﾞﾟ①≒髙\u3000あいうアイウ";
  changed.PAddr = u"O'Hara \"港区\" 100%_\\-./";
  changed.PInf1 = u"追記";
  changed.PInf2 = u"never stored";
  changed.PNo = u"never stored";
  EXPECT_EQ(gateway.StorePatient(changed), StoreAction::Updated);
  EXPECT_EQ(rows(), std::vector<std::string>{RowOf(changed, "kept")});
}

TEST_P(Gateway, ARowWithAnEmptyOrNullNameIsUpdatedNotDuplicated) {
  ExecSql(source(), u"INSERT INTO tavik(KrNo,KrName) VALUES ('1','')");
  ExecSql(source(), u"INSERT INTO tavik(KrNo) VALUES ('2')");
  EXPECT_EQ(gateway.StorePatient(Patient("1", "a")), StoreAction::Updated);
  EXPECT_EQ(gateway.StorePatient(Patient("2", "b")), StoreAction::Updated);
  EXPECT_EQ(rows(), (std::vector<std::string>{RowOf(Patient("1", "a")), RowOf(Patient("2", "b"))}));
}

TEST_P(Gateway, TheNameColumnIsFoundWhateverItsCaseAndPlace) {
  ExecSql(source(), u"DROP TABLE tavik");
  ExecSql(source(), u"CREATE TABLE tavik (KrNo VARCHAR(20), Memo VARCHAR(20), KRNAME VARCHAR(20))");
  ExecSql(source(), u"INSERT INTO tavik(KrNo,Memo,KRNAME) VALUES ('5','m','n')");
  EXPECT_EQ(gateway.LookupPatient(u"5").stored_name, u"n");
}

// Fails the driver calls named, as a driver would that does not offer them
// or a database that stops answering; records the calls asked for.
struct FailingCalls final : odbc::DriverFaults {
  explicit FailingCalls(std::vector<std::string> calls) : refused(std::move(calls)) {}
  std::optional<short> Answer(std::string_view operation) override {
    asked.emplace_back(operation);
    if (std::find(refused.begin(), refused.end(), operation) == refused.end()) return std::nullopt;
    return static_cast<short>(-1);  // SQL_ERROR
  }
  std::vector<std::string> refused, asked;
};

TEST_P(Gateway, AsksForTimeLimitsAndAStaticReadOnlyCursorAndStoresAlsoWhenTheDriverRefusesAny) {
  const std::vector<std::string> kAttributes = {"SQLSetConnectAttr(LOGIN_TIMEOUT)", "SQLSetStmtAttr(QUERY_TIMEOUT)",
                                                "SQLSetStmtAttr(CURSOR_TYPE)", "SQLSetStmtAttr(CONCURRENCY)"};
  for (const bool refused : {false, true}) {
    ResetPatientTable(source());
    FailingCalls faults(refused ? kAttributes : std::vector<std::string>{});
    PatientGateway refusing(PatientGateway::Options{source(), true, &faults});
    EXPECT_EQ(refusing.StorePatient(Patient("9", "a")), StoreAction::Inserted) << refused;
    EXPECT_EQ(refusing.StorePatient(Patient("9", "b")), StoreAction::Updated) << refused;
    EXPECT_EQ(rows(), std::vector<std::string>{RowOf(Patient("9", "b"))}) << refused;
    if (refused) continue;  // a refused cursor type asks for no concurrency
    for (const std::string& attribute : kAttributes) {
      EXPECT_NE(std::find(faults.asked.begin(), faults.asked.end(), attribute), faults.asked.end()) << attribute;
    }
  }
}

TEST_P(Gateway, ALookupThatFailsReadingTheResultIsNeverTakenForNoRow) {
  ExecSql(source(), u"INSERT INTO tavik(KrNo,KrName) VALUES ('9','a')");
  for (const char* failing : {"SQLFetch", "SQLNumResultCols", "SQLColAttributeW", "SQLGetData"}) {
    FailingCalls faults({failing});
    PatientGateway refusing(PatientGateway::Options{source(), true, &faults});
    try {
      refusing.StorePatient(Patient("9", "b"));
      ADD_FAILURE() << failing << " failed and the patient was stored";
    } catch (const DatabaseError& error) {
      EXPECT_EQ(error.stage(), DatabaseStage::Statement) << failing;
      EXPECT_EQ(error.operation(), failing);
    }
  }
  EXPECT_EQ(rows(), std::vector<std::string>{"9|a|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>|<null>"});
}

INSTANTIATE_TEST_SUITE_P(Databases, Gateway, ::testing::Values(kSqliteSource, kPostgresSource),
                         [](const auto& row) { return Utf8(row.param); });

TEST(GatewayFailure, IsRaisedAtItsStage) {
  const struct {
    TextView source;
    DatabaseStage stage;
    const char* operation;
    const char* sqlstate;  // "" for any
  } kRows[] = {
      {u"FileMaker5Undefined", DatabaseStage::Connect, "SQLConnectW", "IM002"},
      {kSqliteNoTableSource, DatabaseStage::Statement, "SQLExecDirectW", ""},
  };
  for (const auto& row : kRows) {
    PatientGateway gateway(PatientGateway::Options{Text(row.source), false, nullptr});
    try {
      gateway.StorePatient(Patient("1", "a"));
      ADD_FAILURE() << "stored through " << Utf8(row.source);
    } catch (const DatabaseError& error) {
      EXPECT_EQ(error.stage(), row.stage) << error.what();
      EXPECT_EQ(error.operation(), row.operation) << error.what();
      EXPECT_TRUE(*row.sqlstate == '\0' || error.sqlstate() == row.sqlstate) << error.sqlstate();
    }
  }
}

}  // namespace
}  // namespace tavik
