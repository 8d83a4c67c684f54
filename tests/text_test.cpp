// Text conversions: UTF-8 and UTF-16 both ways, decimal texts, ASCII case.
#include <gtest/gtest.h>

#include "common/text.h"
#include "support/test_support.h"

namespace tavik {
namespace {

struct Utf8Row {
  const char* name;
  std::string utf8;
  Text utf16;
  std::string back;  // what the UTF-16 text gives as UTF-8
};

class Utf8Conversion : public ::testing::TestWithParam<Utf8Row> {};

TEST_P(Utf8Conversion, ConvertsBothWays) {
  EXPECT_EQ(FromUtf8(GetParam().utf8), GetParam().utf16);
  EXPECT_EQ(ToUtf8(GetParam().utf16), GetParam().back);
}

INSTANTIATE_TEST_SUITE_P(
    Text, Utf8Conversion,
    ::testing::Values(
        Utf8Row{"the first code point of each length", "\x7F\xC2\x80\xE0\xA0\x80", u"\u007F\u0080\u0800",
                "\x7F\xC2\x80\xE0\xA0\x80"},
        Utf8Row{"the first four byte sequence", "\xF0\x90\x80\x80", u"\U00010000", "\xF0\x90\x80\x80"},
        Utf8Row{"four byte sequences become surrogate pairs", "\xF0\xA0\xAE\xB7\xF4\x8F\xBF\xBF",
                u"\U00020BB7\U0010FFFF", "\xF0\xA0\xAE\xB7\xF4\x8F\xBF\xBF"},
        Utf8Row{"an encoded surrogate becomes one replacement", "\xED\xA0\x80", u"\uFFFD", "\xEF\xBF\xBD"},
        Utf8Row{"the last encoded surrogate becomes one replacement", "\xED\xBF\xBF", u"\uFFFD", "\xEF\xBF\xBD"},
        Utf8Row{"a code point beyond U+10FFFF becomes one replacement", "\xF4\x90\x80\x80", u"\uFFFD", "\xEF\xBF\xBD"},
        Utf8Row{"a cut four byte sequence keeps what follows",
                "\xF0\x90"
                "A\x80",
                u"\uFFFD\uFFFDA\uFFFD",
                "\xEF\xBF\xBD\xEF\xBF\xBD"
                "A\xEF\xBF\xBD"},
        Utf8Row{"a cut sequence becomes a replacement and keeps what follows", "\xE5\xB1,", u"\uFFFD\uFFFD,",
                "\xEF\xBF\xBD\xEF\xBF\xBD,"}),
    test::RowName<Utf8Row>);

TEST(Text, LoneSurrogatesAndSequencesCutByTheViewBecomeReplacements) {
  EXPECT_EQ(ToUtf8(Text{0xD800, u'a', 0xDC00}),
            "\xEF\xBF\xBD"
            "a"
            "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(Text{0xDBFF}), "\xEF\xBF\xBD");
  EXPECT_EQ(ToUtf8(Text{u'a', 0xD800, 0xE000}), "a\xEF\xBF\xBD\xEE\x80\x80");
  EXPECT_EQ(ToUtf8(TextView(u"\U00010000").substr(0, 1)), "\xEF\xBF\xBD");  // the pair cut by the view
  EXPECT_EQ(FromUtf8(std::string_view("\xC2\x80", 1)), u"\uFFFD");          // the sequence cut by the view
}

TEST(Text, AsciiCaseIsFoldedForAsciiLettersOnly) {
  EXPECT_TRUE(EqualsIgnoringAsciiCase(u"KrName", u"krname") && EqualsIgnoringAsciiCase(u"", u""));
  for (TextView other : {u"KrNam", u"KrNamf", u"\uFF2BrName"}) EXPECT_FALSE(EqualsIgnoringAsciiCase(u"KrName", other));
  EXPECT_EQ((Text{AsciiUpper(u'a'), AsciiUpper(u'z'), AsciiUpper(u'{'), AsciiUpper(u'`'), AsciiUpper(u'\uFF41')}),
            u"AZ{`\uFF41");
}

}  // namespace
}  // namespace tavik
