// The patient file reader: item rules, key prefixes and positions, quote
// removal, code page 932 decoding and bad input.
#include <gtest/gtest.h>

#include <chrono>

#include "intake/ansi_decoder.h"
#include "intake/exchange_file.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::Sjis;
using test::U;
using test::Utf8;

std::vector<std::string> Items(const char* utf8) {
  const Text text = U(utf8);
  ItemReader reader(text);
  std::vector<std::string> items;
  while (!reader.AtEnd()) items.push_back(Utf8(reader.Next()));
  return items;
}

struct ItemCase {
  const char* name;
  const char* text;
  std::vector<std::string> items;
};

class ItemRules : public ::testing::TestWithParam<ItemCase> {};

TEST_P(ItemRules, SplitsTextIntoItems) {
  EXPECT_EQ(Items(GetParam().text), GetParam().items) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Reader, ItemRules,
    ::testing::Values(
        ItemCase{"commas and line ends separate items", "a,b\r\nc", {"a", "b", "c"}},
        ItemCase{"LF alone ends a line", "a\nb\n", {"a", "b"}},
        ItemCase{"CR alone ends a line", "a\rb\r", {"a", "b"}},
        ItemCase{"CRLF is one line end", "a\r\nb\r\n", {"a", "b"}},
        ItemCase{"last line without a line end is read", "a\nb", {"a", "b"}},
        ItemCase{"empty line yields an empty item", "a\n\nb", {"a", "", "b"}},
        ItemCase{"leading blanks are skipped", "  \ta, \tb", {"a", "b"}},
        ItemCase{"trailing blanks of an unquoted item are dropped", "a  ,b \t\n", {"a", "b"}},
        ItemCase{"blanks inside an unquoted item stay", "P Name x", {"P Name x"}},
        ItemCase{"a quote inside an unquoted item stays", "PID=\"12\"", {"PID=\"12\""}},
        ItemCase{"a quoted item keeps commas and blanks", "\" a, b \",c", {" a, b ", "c"}},
        ItemCase{"text after a closing quote is discarded", "\"ab\"cd,e", {"ab", "e"}},
        ItemCase{"text after a closing quote runs to the line end", "\"ab\" x\ny", {"ab", "y"}},
        ItemCase{"a quoted item may span lines", "\"a\nb\",c", {"a\nb", "c"}},
        ItemCase{"an unterminated quote runs to the end", "\"a,b\nc", {"a,b\nc"}},
        ItemCase{"empty text has no items", "", {}},
        ItemCase{"a comma before a line end leaves an empty item", "a,\nb", {"a", "", "b"}}),
    [](const auto& row) { return "Case" + std::to_string(row.index); });

// One row per key: the item as the viewer writes it and the field it sets.
struct KeyCase {
  const char* item;
  Text PatientRecord::*field;  // null: the function code
  const char* value;
};

class KeyPrefixes : public ::testing::TestWithParam<KeyCase> {};

TEST_P(KeyPrefixes, StoreTheValueFromItsPosition) {
  const KeyCase& c = GetParam();
  const ExchangeFile file = ParseExchangeText(U(c.item));
  const Text& got = c.field != nullptr ? file.record.*c.field : file.fun;
  EXPECT_EQ(Utf8(got), c.value) << "item " << c.item;
}

INSTANTIATE_TEST_SUITE_P(
    Reader, KeyPrefixes,
    ::testing::Values(
        KeyCase{"PNo=12", &PatientRecord::PNo, "12"},
        KeyCase{"Pno=12", &PatientRecord::PNo, "12"},
        KeyCase{"Fun=xREGIST", nullptr, "REGIST"},
        KeyCase{"Fun==REGIST", nullptr, "REGIST"},
        KeyCase{"Fun=REGIST", nullptr, "EGIST"},
        KeyCase{"PID=\"1024\"", &PatientRecord::PID, "1024"},
        KeyCase{"PID=1024", &PatientRecord::PID, "1024"},
        KeyCase{"PID=\"", &PatientRecord::PID, ""},
        KeyCase{"PID=\"a\"b\"", &PatientRecord::PID, "a\"b"},
        KeyCase{"PID", &PatientRecord::PID, ""},
        KeyCase{"PName=山田 太郎", &PatientRecord::PName, "山田 太郎"},
        KeyCase{"PName=\"山田\"", &PatientRecord::PName, "\"山田\""},
        KeyCase{"PName", &PatientRecord::PName, ""},
        KeyCase{"PKana=ﾔﾏﾀﾞ ﾀﾛｳ", &PatientRecord::PKana, "ﾔﾏﾀﾞ ﾀﾛｳ"},
        KeyCase{"PBDate=1960/01/02", &PatientRecord::PBDat, "1960/01/02"},
        KeyCase{"PSex=1", &PatientRecord::PSex, "1"},
        KeyCase{"PZip=123-4567", &PatientRecord::PZip, "123-4567"},
        KeyCase{"PAddr=\"東京都 港区\"", &PatientRecord::PAddr, "東京都 港区"},
        KeyCase{"PTel=03-1234-5678", &PatientRecord::PTel, "03-1234-5678"},
        KeyCase{"PFax=03-9999", &PatientRecord::PFax, "03-9999"},
        KeyCase{"PInf1=a", &PatientRecord::PInf1, "a"},
        KeyCase{"PInf2=b", &PatientRecord::PInf2, "b"},
        KeyCase{"PInf5=e", &PatientRecord::PInf5, "e"},
        KeyCase{"PInf8=h", &PatientRecord::PInf8, "h"},
        KeyCase{"IName=医院", &PatientRecord::IName, "医院"},
        // The characters between the prefix and the value are not examined.
        KeyCase{"PNameXabc", &PatientRecord::PName, "abc"},
        KeyCase{"PSex:M", &PatientRecord::PSex, ""}),
    [](const auto& row) { return "Key" + std::to_string(row.index); });

TEST(Reader, IgnoresItemsThatMatchNoPrefix) {
  const char* ignored[] = {"pno=1", "PNO=1", "pid=1", "fun=REGIST", "PInf9=x", "PInf0=x",
                           "PSex1", "PN",    "Xyz=1", "PNAME=x",   "PSex"};
  for (const char* item : ignored) {
    const ExchangeFile file = ParseExchangeText(U(item));
    EXPECT_EQ(file.record, PatientRecord{}) << item;
    EXPECT_TRUE(file.fun.empty()) << item;
  }
}

TEST(Reader, PositionsCountCharactersNotBytes) {
  // Half-width katakana are one byte and kanji two in code page 932; both
  // count as one character each.
  const ExchangeFile file =
      ParseExchangeBytes(Sjis("PName=ﾔﾏﾀﾞ山田\r\nPKana=ｱｲｳ\r\nFun=xREGIST\r\nPID=\"0012\"\r\n"));
  EXPECT_EQ(Utf8(file.record.PName), "ﾔﾏﾀﾞ山田");
  EXPECT_EQ(Utf8(file.record.PKana), "ｱｲｳ");
  EXPECT_TRUE(file.AsksForStoring());
  EXPECT_EQ(Utf8(file.record.PID), "0012");
}

TEST(Reader, AnAddressWithACommaIsCutUnlessQuotedWhole) {
  const ExchangeFile cut = ParseExchangeText(U("PAddr=\"東京都,PTel=03\""));
  EXPECT_EQ(Utf8(cut.record.PAddr), "東京都");
  EXPECT_EQ(Utf8(cut.record.PTel), "03\"");
  const ExchangeFile whole = ParseExchangeText(U("\"PAddr=東京都,港区\""));
  EXPECT_EQ(Utf8(whole.record.PAddr), "東京都,港区");
}

TEST(Reader, TheLaterOfTwoItemsWithTheSameKeyWins) {
  const ExchangeFile file = ParseExchangeText(U("PName=A\nPName=B"));
  EXPECT_EQ(Utf8(file.record.PName), "B");
}

TEST(Reader, OnlyTheExactFunctionCodeAsksForStoring) {
  EXPECT_TRUE(ParseExchangeText(U("Fun=xREGIST")).AsksForStoring());
  EXPECT_FALSE(ParseExchangeText(U("Fun=REGIST")).AsksForStoring());
  EXPECT_FALSE(ParseExchangeText(U("Fun=xregist")).AsksForStoring());
  EXPECT_FALSE(ParseExchangeText(U("Fun=xREGIST2")).AsksForStoring());
  EXPECT_FALSE(ParseExchangeText(U("PID=1")).AsksForStoring());
}

TEST(Reader, AFullPatientFileFillsEveryField) {
  const std::string bytes = Sjis(
      "Fun=xREGIST\r\nPNo=7\r\nPID=\"1024\"\r\nPName=山田 太郎\r\nPKana=ﾔﾏﾀﾞ ﾀﾛｳ\r\n"
      "PBDate=S35.01.02\r\nPSex=男\r\nPZip=105-0011\r\nPAddr=\"東京都港区芝公園4-2-8\"\r\n"
      "PTel=03-1111-2222\r\nPFax=03-3333-4444\r\nPInf1=ｱﾚﾙｷﾞｰ: なし\r\nPInf3=x\r\nIName=芝クリニック\r\n");
  const ExchangeFile file = ParseExchangeBytes(bytes);
  PatientRecord expected;
  expected.PNo = U("7");
  expected.PID = U("1024");
  expected.PName = U("山田 太郎");
  expected.PKana = U("ﾔﾏﾀﾞ ﾀﾛｳ");
  expected.PBDat = U("S35.01.02");
  expected.PSex = U("男");
  expected.PZip = U("105-0011");
  expected.PAddr = U("東京都港区芝公園4-2-8");
  expected.PTel = U("03-1111-2222");
  expected.PFax = U("03-3333-4444");
  expected.PInf1 = U("ｱﾚﾙｷﾞｰ: なし");
  expected.PInf3 = U("x");
  expected.IName = U("芝クリニック");
  EXPECT_EQ(file.record, expected);
  EXPECT_TRUE(file.AsksForStoring());
}

// Bad bytes: every row decodes to a defined text and the rest survives.
struct DecodeCase {
  const char* name;
  std::string bytes;
  std::string text;
};

class BadBytes : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(BadBytes, DecodeToReplacementCharactersWithoutLosingTheRest) {
  EXPECT_EQ(Utf8(AnsiDecoder::System().Decode(GetParam().bytes)), GetParam().text)
      << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Reader, BadBytes,
    ::testing::Values(
        DecodeCase{"lead byte at the end", std::string("ab\x82"), "ab\xEF\xBF\xBD"},
        DecodeCase{"lead byte before a line end keeps the line end", std::string("a\x82\nb"),
                   "a\xEF\xBF\xBD\nb"},
        DecodeCase{"lead byte before a comma keeps the comma", std::string("\x82,b"),
                   "\xEF\xBF\xBD,b"},
        DecodeCase{"NUL bytes are characters", std::string("a\0b", 3), std::string("a\0b", 3)},
        DecodeCase{"half-width katakana", std::string("\xB1\xB2"), "ｱｲ"},
        DecodeCase{"kanji", std::string("\x8E\x52\x93\x63"), "山田"}),
    [](const auto& row) { return "Bytes" + std::to_string(row.index); });

TEST(Reader, NulBytesStayInsideValues) {
  const ExchangeFile file = ParseExchangeBytes(std::string("PName=a\0b\r\nPSex=1", 17));
  EXPECT_EQ(file.record.PName, Text(u"a\0b", 3));
  EXPECT_EQ(Utf8(file.record.PSex), "1");
}

TEST(Reader, InvalidBytesDoNotStopTheFollowingItems) {
  const ExchangeFile file = ParseExchangeBytes(std::string("PName=\x82\r\nPID=5\r\nFun=xREGIST"));
  EXPECT_EQ(file.record.PName, Text(1, u'\xFFFD'));
  EXPECT_EQ(Utf8(file.record.PID), "5");
  EXPECT_TRUE(file.AsksForStoring());
}

TEST(Reader, ATenMegabyteLineIsOneItem) {
  std::string bytes = "PName=";
  bytes.append(10u << 20, 'x');
  const ExchangeFile file = ParseExchangeBytes(bytes);
  EXPECT_EQ(file.record.PName.size(), 10u << 20);
  std::string quoted = "\"";
  quoted.append(10u << 20, ',');
  EXPECT_TRUE(ParseExchangeBytes(quoted).record == PatientRecord{});
}

TEST(Reader, EncodesAndDecodesCodePage932BothWays) {
  const char* samples[] = {"山田 太郎", "ﾔﾏﾀﾞ ﾀﾛｳ", "東京都港区芝公園4-2-8", "①髙﨑", "abc\\~"};
  for (const char* sample : samples) {
    const Text text = U(sample);
    EXPECT_EQ(AnsiDecoder::System().Decode(AnsiDecoder::System().Encode(text)), text) << sample;
  }
}

}  // namespace
}  // namespace tavik
