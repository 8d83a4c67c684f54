// The three statements on the patient table, character for character.
#include <gtest/gtest.h>

#include "patientdb/statements.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;

// PNo, PID, PName, PKana, PBDat, PSex, PZip, PAddr, PTel, PFax, PInf1 to PInf8, IName.
PatientRecord EveryFieldDifferent() {
  return {u"no", u"1024", u"Ab", u"ｱﾌﾞ", u"1950/01/02", u"1", u"105", u"港区", u"03", u"04",
          u"i1", u"i2", u"i3", u"i4", u"i5", u"i6", u"i7", u"i8", u"in"};
}

TEST(Statements, UpdateSetsNineColumnsOfTheRowsWithTheChartNumber) {
  EXPECT_EQ(BuildUpdateStatement(EveryFieldDifferent()),
            U("UPDATE tavik SET KrName='Ab',PKana='ｱﾌﾞ',PBDate='1950/01/02',PSex='1',PZip='105',PAddr='港区',"
              "PTel='03',PFax='04',PInf1='i1' WHERE KrNo='1024'"));
  PatientRecord empty;
  empty.PID = u"1024";
  empty.PName = u"Ab";
  EXPECT_EQ(BuildUpdateStatement(empty),
            u"UPDATE tavik SET KrName='Ab',PKana='',PBDate='',PSex='',PZip='',PAddr='',PTel='',PFax='',PInf1='' "
            u"WHERE KrNo='1024'");
}

TEST(Statements, InsertGivesTheTenColumnsInOrder) {
  EXPECT_EQ(BuildInsertStatement(EveryFieldDifferent()),
            U("INSERT INTO tavik(KrNo,KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1) "
              "VALUES ('1024','Ab','ｱﾌﾞ','1950/01/02','1','105','港区','03','04','i1')"));
  EXPECT_EQ(BuildInsertStatement(PatientRecord{}),
            u"INSERT INTO tavik(KrNo,KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1) "
            u"VALUES ('','','','','','','','','','')");
}

TEST(Statements, LookupSelectsAllColumnsByChartNumber) {
  EXPECT_EQ(BuildLookupStatement(u"0042"), u"SELECT * FROM tavik WHERE KrNo='0042'");
  EXPECT_EQ(BuildLookupStatement(u""), u"SELECT * FROM tavik WHERE KrNo=''");
}

TEST(Statements, ValuesDoubleTheirApostrophesAndKeepEverythingElse) {
  EXPECT_EQ(QuoteSqlValue(u"it's"), u"it''s");
  EXPECT_EQ(QuoteSqlValue(u"''"), u"''''");
  EXPECT_EQ(QuoteSqlValue(u" \"a\"; -- "), u" \"a\"; -- ");
  EXPECT_EQ(QuoteSqlValue(Text(u"a\0b", 3)), Text(u"a\0b", 3));
  PatientRecord r;
  r.PID = u"1' OR '1'='1";
  r.PAddr = u"O'Hara";
  EXPECT_EQ(BuildLookupStatement(r.PID), u"SELECT * FROM tavik WHERE KrNo='1'' OR ''1''=''1'");
  EXPECT_NE(BuildInsertStatement(r).find(u"'O''Hara'"), Text::npos);
  EXPECT_NE(BuildUpdateStatement(r).find(u"WHERE KrNo='1'' OR ''1''=''1'"), Text::npos);
}

}  // namespace
}  // namespace tavik
