// Text conversions: UTF-8 and UTF-16 both ways.
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
      {"a cut sequence becomes a replacement and keeps what follows", "\xE5\xB1,", u"\uFFFD\uFFFD,",
       "\xEF\xBF\xBD\xEF\xBF\xBD,"},
  };
  for (const auto& row : kRows) {
    EXPECT_EQ(FromUtf8(row.utf8), row.utf16) << row.name;
    EXPECT_EQ(ToUtf8(row.utf16), row.back) << row.name;
  }
}

}  // namespace
}  // namespace tavik
