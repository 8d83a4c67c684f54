// Text conversions: UTF-8 and UTF-16 both ways, decimal texts, ASCII case.
#include <gtest/gtest.h>

#include "common/text.h"

namespace tavik {
namespace {

TEST(Utf8Conversion, ConvertsBothWays) {
  const struct {
    const char* name;
    std::string utf8;
    Text utf16;
    std::string back;  // what the UTF-16 text gives as UTF-8
  } kRows[] = {
      {"the first code point of each length", "\x7F\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80",
       u"\u007F\u0080\u0800\U00010000", "\x7F\xC2\x80\xE0\xA0\x80\xF0\x90\x80\x80"},
      {"four byte sequences become surrogate pairs", "\xF0\xA0\xAE\xB7\xF4\x8F\xBF\xBF", u"\U00020BB7\U0010FFFF",
       "\xF0\xA0\xAE\xB7\xF4\x8F\xBF\xBF"},
      {"an encoded surrogate, the first or the last, becomes one replacement", "\xED\xA0\x80\xED\xBF\xBF",
       u"\uFFFD\uFFFD", "\xEF\xBF\xBD\xEF\xBF\xBD"},
      {"a code point beyond U+10FFFF becomes one replacement", "\xF4\x90\x80\x80", u"\uFFFD", "\xEF\xBF\xBD"},
      {"a cut four byte sequence keeps what follows", "\xF0\x90\x41\x80", u"\uFFFD\uFFFDA\uFFFD",
       "\xEF\xBF\xBD\xEF\xBF\xBD\x41\xEF\xBF\xBD"},
      {"a cut sequence becomes a replacement and keeps what follows", "\xE5\xB1,", u"\uFFFD\uFFFD,",
       "\xEF\xBF\xBD\xEF\xBF\xBD,"},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(FromUtf8(row.utf8), row.utf16) << row.name;
    EXPECT_EQ(ToUtf8(row.utf16), row.back) << row.name;
  }
}

TEST(Text, LoneSurrogatesAndSequencesCutByTheViewBecomeReplacements) {
  EXPECT_EQ(ToUtf8(Text{0xD800, u'a', 0xDC00}), "\xEF\xBF\xBD\x61\xEF\xBF\xBD");
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
