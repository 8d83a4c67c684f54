// The patient file: code page 932 decoding, the items of comma-delimited
// text, and the key prefixes with their value positions and quoting.
#include <gtest/gtest.h>

#include "intake/ansi_decoder.h"
#include "intake/exchange_file.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

// --- Decoding ----------------------------------------------------------------

struct DecodeRow { const char* name; std::string bytes; const char* text /* UTF-8 */; };

class Decoding : public ::testing::TestWithParam<DecodeRow> {};

TEST_P(Decoding, GivesTheCharacters) {
  EXPECT_EQ(Utf8(AnsiDecoder::System().Decode(GetParam().bytes)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    CodePage932, Decoding,
    ::testing::Values(
        DecodeRow{"half width katakana take one byte", "\xB1\xDE\xDF", "ｱﾞﾟ"},
        DecodeRow{"kanji and kana take two bytes", "\x8E\x52\x93\x63\x82\xA0", "山田あ"},
        DecodeRow{"the lowest trail byte", "\x81\x40", "\u3000"},
        DecodeRow{"the highest trail byte", "\x81\xFC", "◯"},
        DecodeRow{"a lead byte before a line end keeps the line end", "\x82\r\nA", "\uFFFD\r\nA"},
        DecodeRow{"a lead byte before a comma keeps the comma", "\x82,A", "\uFFFD,A"},
        DecodeRow{"a lead byte before DEL keeps DEL", std::string("\x82\x7F", 2), "\uFFFD\x7F"},
        DecodeRow{"a lead byte at the end becomes one replacement", "A\x82", "A\uFFFD"},
        DecodeRow{"a pair without a character becomes one replacement", "\x85\x40Z", "\uFFFDZ"}),
    test::RowName<DecodeRow>);

TEST(CodePage932, NulBytesAreNoCharactersAndTheBytesEndWhereTheirViewEnds) {
  EXPECT_EQ(AnsiDecoder::System().Decode(std::string("a\0b", 3)), u"a\uFFFDb");
  EXPECT_EQ(AnsiDecoder::System().Decode(std::string_view("\x82\xA0", 1)), u"\uFFFD");
}

TEST(CodePage932, EncodingPrefersTheLowestCodeAndSingleBytes) {
  const AnsiDecoder& decoder = AnsiDecoder::System();
  EXPECT_EQ(decoder.Encode(u"ｱ山A"), "\xB1\x8E\x52" "A");
  EXPECT_EQ(decoder.Encode(u"≒∵"), "\x81\xE0\x81\xE6");  // also at 0x8790 and 0x879A
  EXPECT_EQ(decoder.Encode(u"é😀\uFFFD"), "????");       // not in the code page
  EXPECT_EQ(decoder.Decode(decoder.Encode(u"患者◯　ﾃｽﾄ")), u"患者◯　ﾃｽﾄ");
}

// --- Items -------------------------------------------------------------------

struct ItemsRow { const char* name; const char* text; const char* items /* joined with "|" */; };

class Items : public ::testing::TestWithParam<ItemsRow> {};

TEST_P(Items, AreReadAsCommaDelimitedText) {
  const Text text = U(GetParam().text);
  ItemReader reader(text);
  Text joined;
  for (bool first = true; !reader.AtEnd(); first = false) {
    if (!first) joined += u"|";
    joined += reader.Next();
  }
  EXPECT_EQ(Utf8(joined), GetParam().items);
}

INSTANTIATE_TEST_SUITE_P(
    ExchangeFile, Items,
    ::testing::Values(
        ItemsRow{"commas and line ends of every kind separate items", "a,b\r\nc\nd\re", "a|b|c|d|e"},
        ItemsRow{"blanks around an unquoted item are dropped", " \t a b \t,c", "a b|c"},
        ItemsRow{"a quote inside an unquoted item stays", "a\"b\",c", "a\"b\"|c"},
        ItemsRow{"a quoted item keeps commas blanks and line ends", "\" x, y\r\nz \",w", " x, y\r\nz |w"},
        ItemsRow{"what follows a closing quote is dropped up to the comma", "\"q\" junk,z", "q|z"},
        ItemsRow{"a quoted item may end in a comma", "\"x,\",y", "x,|y"},
        ItemsRow{"what follows a closing quote is dropped up to the line end", "\"q\"junk\r\nz", "q|z"},
        ItemsRow{"blanks before an opening quote are skipped", "  \"q\",z", "q|z"},
        ItemsRow{"an unterminated quote runs to the end", "a,\"open, still", "a|open, still"},
        ItemsRow{"an empty line is an empty item", "a\r\n\r\nb", "a||b"},
        ItemsRow{"an item of blanks is empty", "a, ,b", "a||b"},
        ItemsRow{"an empty quoted item is empty", "\"\",b", "|b"},
        ItemsRow{"an empty text has no items", "", ""},
        ItemsRow{"positions count characters", "山田,\"東京, 港\"", "山田|東京, 港"}),
    test::RowName<ItemsRow>);

// --- Keys --------------------------------------------------------------------

// The fields of a file that hold something, as "name=value;".
std::string Fields(const ExchangeFile& file) {
  const PatientRecord& r = file.record;
  const std::pair<const char*, const Text*> fields[] = {
      {"Fun", &file.fun},   {"PNo", &r.PNo},     {"PID", &r.PID},     {"PName", &r.PName}, {"PKana", &r.PKana},
      {"PBDat", &r.PBDat}, {"PSex", &r.PSex},   {"PZip", &r.PZip},   {"PAddr", &r.PAddr}, {"PTel", &r.PTel},
      {"PFax", &r.PFax},   {"PInf1", &r.PInf1}, {"PInf2", &r.PInf2}, {"PInf3", &r.PInf3}, {"PInf4", &r.PInf4},
      {"PInf5", &r.PInf5}, {"PInf6", &r.PInf6}, {"PInf7", &r.PInf7}, {"PInf8", &r.PInf8}, {"IName", &r.IName}};
  std::string out;
  for (const auto& [name, value] : fields) {
    if (!value->empty()) out += std::string(name) + "=" + Utf8(*value) + ";";
  }
  return out;
}

struct KeyRow { const char* name; const char* items /* one a line */; const char* fields; };

class Keys : public ::testing::TestWithParam<KeyRow> {};

TEST_P(Keys, PutTheValueFromItsPositionIntoItsField) {
  EXPECT_EQ(Fields(ParseExchangeText(U(GetParam().items))), GetParam().fields) << GetParam().items;
}

INSTANTIATE_TEST_SUITE_P(
    ExchangeFile, Keys,
    ::testing::Values(
        KeyRow{"PNo starts at the fifth character and keeps its quotes", "PNo=\"12\"", "PNo=\"12\";"},
        KeyRow{"Pno is read as PNo", "Pno:34", "PNo=34;"},
        KeyRow{"Fun starts at the sixth character and keeps its quotes", "Fun==\"R\"", "Fun=\"R\";"},
        KeyRow{"Fun with one separator loses the first letter", "Fun=REGIST", "Fun=EGIST;"},
        KeyRow{"PID loses its quotes", "PID=\"0042\"", "PID=0042;"},
        KeyRow{"PID loses one quote at each end only", "PID=\"\"a\"b\"\"", "PID=\"a\"b\";"},
        KeyRow{"a PID of one quote is empty", "PName=x\nPID=\"", "PName=x;"},
        KeyRow{"PID keeps a quote inside", "PID=a\"b", "PID=a\"b;"},
        KeyRow{"PAddr loses its quotes", "PAddr=\"東京都港区\"", "PAddr=東京都港区;"},
        KeyRow{"PAddr loses a trailing quote alone", "PAddr=港区\"", "PAddr=港区;"},
        KeyRow{"PBDat starts at the eighth character and keeps its quotes", "PBDate=\"1950\"", "PBDat=\"1950\";"},
        KeyRow{"the keys ending in an equals sign start at the sixth character and keep their quotes",
               "PSex=\"1\"\nPZip=\"105\"\nPTel=\"03\"\nPFax=\"04\"", "PSex=\"1\";PZip=\"105\";PTel=\"03\";PFax=\"04\";"},
        KeyRow{"the other five letter keys start at the seventh character and keep their quotes",
               "PName=\"山田 太郎\"\nPKana=\"ﾔ\"\nPInf1=\"a\"\nPInf2=\"b\"\nPInf3=\"c\"\nPInf4=\"d\"\nPInf5=\"e\"\n"
               "PInf6=\"f\"\nPInf7=\"g\"\nPInf8=\"h\"\nIName=\"医院\"",
               "PName=\"山田 太郎\";PKana=\"ﾔ\";PInf1=\"a\";PInf2=\"b\";PInf3=\"c\";PInf4=\"d\";PInf5=\"e\";"
               "PInf6=\"f\";PInf7=\"g\";PInf8=\"h\";IName=\"医院\";"},
        KeyRow{"the characters between key and value are not looked at", "PKana:ﾔﾏ", "PKana=ﾔﾏ;"},
        KeyRow{"a five character prefix includes its equals sign", "PTel:03", ""},
        KeyRow{"a key alone gives an empty value", "PName=x\nPName\nPID=1\nPID\nFun=xR\nFun", ""},
        KeyRow{"items that match no key set nothing", "PI\nPInf9=x\npid=1\nPNO=1\nx PID=1", ""}),
    test::RowName<KeyRow>);

TEST(ExchangeFile, AWholeFileFillsItsFieldsTheLaterItemWinning) {
  const ExchangeFile file = ParseExchangeBytes(
      test::Sjis("Fun=xREGIST\r\nPID=\"1\",PID=\"0042\"\r\nPName=山田\r\nPAddr=\"東京都,港区\",PTel=03\r\n"
                 "PAddr=大阪,PKana=ﾔﾏﾀﾞ\r\n"));
  EXPECT_EQ(Fields(file), "Fun=REGIST;PID=0042;PName=山田;PKana=ﾔﾏﾀﾞ;PAddr=大阪;PTel=03;");
  EXPECT_TRUE(file.AsksForStoring());
}

TEST(ExchangeFile, OnlyTheExactFunctionCodeAsksForStoring) {
  for (const char* fun : {"Fun=x REGIST", "Fun=xregist", "Fun=xREGISTER", "Fun=x", "PID=1"}) {
    EXPECT_FALSE(ParseExchangeText(U(fun)).AsksForStoring()) << fun;
  }
  EXPECT_TRUE(ParseExchangeText(u"Fun=xREGIST").AsksForStoring());
}

}  // namespace
}  // namespace tavik
