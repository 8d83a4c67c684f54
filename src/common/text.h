// Text as the program holds it in memory: UTF-16, one code unit per
// character for everything the ANSI code page 932 can carry.
#pragma once

#include <string>
#include <string_view>

namespace tavik {

using Text = std::u16string;
using TextView = std::u16string_view;

// UTF-8 <-> UTF-16. Invalid sequences become U+FFFD; nothing is dropped
// silently beyond the bytes of the invalid sequence itself.
std::string ToUtf8(TextView text);
Text FromUtf8(std::string_view utf8);

// Plain decimal text of a number ("-12", "1000").
Text DecimalText(long long value);

// ASCII letters in upper case; every other character as it is.
char16_t AsciiUpper(char16_t c);

// Equal when compared without regard to the case of ASCII letters, as
// databases and the registry compare names.
bool EqualsIgnoringAsciiCase(TextView a, TextView b);

}  // namespace tavik
