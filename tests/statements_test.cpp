// The statement texts, byte for byte, and the quoting of values.
#include <gtest/gtest.h>

#include "patientdb/statements.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

PatientRecord Sample() {
  PatientRecord r;
  r.PID = u"1024";
  r.PName = u"Ab";
  return r;
}

TEST(Statements, UpdateTextOfTheExampleRecord) {
  EXPECT_EQ(Utf8(BuildUpdateStatement(Sample())),
            "UPDATE tavik SET KrName='Ab',PKana='',PBDate='',PSex='',PZip='',PAddr='',PTel='',"
            "PFax='',PInf1='' WHERE KrNo='1024'");
}

TEST(Statements, InsertTextOfTheExampleRecord) {
  EXPECT_EQ(Utf8(BuildInsertStatement(Sample())),
            "INSERT INTO tavik(KrNo,KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1) "
            "VALUES ('1024','Ab','','','','','','','','')");
}

TEST(Statements, LookupText) {
  EXPECT_EQ(Utf8(BuildLookupStatement(u"1024")), "SELECT * FROM tavik WHERE KrNo='1024'");
  EXPECT_EQ(Utf8(BuildLookupStatement(u"")), "SELECT * FROM tavik WHERE KrNo=''");
}

TEST(Statements, EveryColumnTakesItsOwnMember) {
  PatientRecord r;
  r.PID = u"1";
  r.PName = u"2";
  r.PKana = u"3";
  r.PBDat = u"4";
  r.PSex = u"5";
  r.PZip = u"6";
  r.PAddr = u"7";
  r.PTel = u"8";
  r.PFax = u"9";
  r.PInf1 = u"10";
  r.PNo = r.PInf2 = r.PInf8 = r.IName = u"never";
  EXPECT_EQ(Utf8(BuildUpdateStatement(r)),
            "UPDATE tavik SET KrName='2',PKana='3',PBDate='4',PSex='5',PZip='6',PAddr='7',"
            "PTel='8',PFax='9',PInf1='10' WHERE KrNo='1'");
  EXPECT_EQ(Utf8(BuildInsertStatement(r)),
            "INSERT INTO tavik(KrNo,KrName,PKana,PBDate,PSex,PZip,PAddr,PTel,PFax,PInf1) "
            "VALUES ('1','2','3','4','5','6','7','8','9','10')");
}

struct QuoteCase {
  const char* value;
  const char* quoted;
};

class Quoting : public ::testing::TestWithParam<QuoteCase> {};

TEST_P(Quoting, DoublesSingleQuotesAndChangesNothingElse) {
  EXPECT_EQ(Utf8(QuoteSqlValue(U(GetParam().value))), GetParam().quoted);
}

INSTANTIATE_TEST_SUITE_P(Statements, Quoting,
                         ::testing::Values(QuoteCase{"it's", "it''s"}, QuoteCase{"''", "''''"},
                                           QuoteCase{"a\"b", "a\"b"}, QuoteCase{"  x  ", "  x  "},
                                           QuoteCase{"a\\b;--/*%_", "a\\b;--/*%_"},
                                           QuoteCase{"山田'ﾀﾛｳ", "山田''ﾀﾛｳ"},
                                           QuoteCase{"", ""}));

TEST(Statements, ANulInsideAValueStaysInTheText) {
  PatientRecord r;
  r.PName = Text(u"a\0b", 3);
  const Text text = BuildInsertStatement(r);
  EXPECT_NE(text.find(Text(u"'a\0b'", 5)), Text::npos);
  EXPECT_EQ(text.substr(text.size() - 2), u"')");
}

}  // namespace
}  // namespace tavik
