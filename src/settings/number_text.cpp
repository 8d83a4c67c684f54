// Number texts: the recognition and the conversion to whole numbers. The
// rules stay as they are (docs/contracts.md).
//
// The grammar, in the order the characters come:
//   blanks* [+|-] mantissa [(e|E) [+|-] digit+] blanks*
//   mantissa: int-part [. digit*]  |  . digit+
//   int-part: digit+ with single "," between two digits ("1,000", also
//             "1,00,0": group sizes are not checked)
//   blanks:   space, tab and the full-width space U+3000
// Only ASCII digits count. No locale is consulted: "," is always the group
// separator and "." the decimal point. Hexadecimal and octal prefixes
// ("&H10", "&O7", "0x10"), currency signs, percent signs, parentheses and
// trailing signs make a text no number.
//
// The value is worked out exactly from the decimal digits, so that rounding
// a half to the even neighbour never depends on binary floating point, and
// in one pass over the text: a long run of digits or a huge exponent costs
// time in proportion to the length of the text and nothing more.
#include "settings/number_text.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <string>

#include "common/program_error.h"

namespace tavik {

namespace {

// Exponents beyond this size all mean "far too big" or "far too small":
// no text can hold enough digits to bring them back into range.
constexpr std::int64_t kExponentLimit = 1'000'000'000'000'000;  // 10^15

// A whole number with more decimal digits than this is beyond every type
// the program converts to, double included (at most 309 digits).
constexpr std::int64_t kMaxWholeDigits = 400;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\u3000'; }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }

// A number text taken apart: value = digits × 10^exponent.
struct DecimalNumber {
  bool negative = false;
  std::string digits;  // significant digits, neither leading nor trailing zeros; empty for 0
  std::int64_t exponent = 0;
};

std::optional<DecimalNumber> Parse(TextView text) {
  const std::size_t n = text.size();
  std::size_t i = 0;
  auto at = [&](std::size_t k) { return k < n ? text[k] : u'\0'; };

  while (i < n && IsBlank(text[i])) ++i;

  DecimalNumber number;
  if (at(i) == u'+' || at(i) == u'-') {
    number.negative = at(i) == u'-';
    ++i;
  }

  bool any_digit = false;
  std::int64_t fraction_digits = 0;
  // Integer part: digits, with group separators only between two digits.
  while (i < n) {
    const char16_t c = text[i];
    if (IsDigit(c)) {
      if (!number.digits.empty() || c != u'0') number.digits.push_back(static_cast<char>(c));
      any_digit = true;
      ++i;
    } else if (c == u',' && any_digit && IsDigit(at(i + 1))) {
      ++i;
    } else {
      break;
    }
  }
  if (at(i) == u'.') {
    ++i;
    while (i < n && IsDigit(text[i])) {
      const char16_t c = text[i];
      if (!number.digits.empty() || c != u'0') number.digits.push_back(static_cast<char>(c));
      ++fraction_digits;
      any_digit = true;
      ++i;
    }
  }
  if (!any_digit) return std::nullopt;

  std::int64_t exponent = 0;
  if (at(i) == u'e' || at(i) == u'E') {
    ++i;
    bool exponent_negative = false;
    if (at(i) == u'+' || at(i) == u'-') {
      exponent_negative = at(i) == u'-';
      ++i;
    }
    if (!IsDigit(at(i))) return std::nullopt;
    while (i < n && IsDigit(text[i])) {
      exponent = std::min(kExponentLimit, exponent * 10 + (text[i] - u'0'));
      ++i;
    }
    if (exponent_negative) exponent = -exponent;
  }

  while (i < n && IsBlank(text[i])) ++i;
  if (i != n) return std::nullopt;

  // A text is far shorter than the exponent limit, so this cannot overflow.
  number.exponent = exponent - fraction_digits;
  while (!number.digits.empty() && number.digits.back() == '0') {
    number.digits.pop_back();
    ++number.exponent;
  }
  return number;
}

// The number rounded to a whole number, halves to the even neighbour.
struct WholeNumber {
  bool negative = false;
  bool huge = false;   // more than kMaxWholeDigits digits; `digits` is empty then
  std::string digits;  // decimal digits without leading zeros; empty for 0
};

void Increment(std::string& digits) {
  std::size_t k = digits.size();
  while (k > 0) {
    --k;
    if (digits[k] != '9') {
      ++digits[k];
      return;
    }
    digits[k] = '0';
  }
  digits.insert(digits.begin(), '1');
}

WholeNumber Round(const DecimalNumber& number) {
  WholeNumber whole;
  const auto significant = static_cast<std::int64_t>(number.digits.size());
  if (significant == 0) return whole;
  whole.negative = number.negative;

  const std::int64_t whole_digits = significant + number.exponent;
  if (whole_digits > kMaxWholeDigits) {
    whole.huge = true;
    return whole;
  }
  if (number.exponent >= 0) {
    whole.digits = number.digits;
    whole.digits.append(static_cast<std::size_t>(number.exponent), '0');
    return whole;
  }
  if (whole_digits < 0) return whole;  // below 0.1 in size: rounds to 0

  const auto split = static_cast<std::size_t>(whole_digits);
  whole.digits = number.digits.substr(0, split);
  const char first_dropped = number.digits[split];
  // Trailing zeros were stripped, so any digit after the first dropped one
  // makes the dropped part more than a half when that digit is 5.
  const bool more_after = number.digits.size() > split + 1;
  bool up = false;
  if (first_dropped > '5') {
    up = true;
  } else if (first_dropped == '5') {
    const bool odd = !whole.digits.empty() && (whole.digits.back() - '0') % 2 == 1;
    up = more_after || odd;
  }
  if (up) Increment(whole.digits);
  return whole;
}

// The value of a whole number within [-limit - 1, limit] for a signed type
// whose maximum is `limit`; nullopt outside.
std::optional<std::int64_t> WithinSigned(const WholeNumber& whole, std::int64_t limit) {
  if (whole.huge) return std::nullopt;
  const std::int64_t bound = whole.negative ? limit + 1 : limit;
  std::int64_t magnitude = 0;
  for (const char d : whole.digits) {
    magnitude = magnitude * 10 + (d - '0');
    if (magnitude > bound) return std::nullopt;  // stops long before the 64-bit range ends
  }
  return whole.negative ? -magnitude : magnitude;
}

std::int64_t ConvertOrThrow(TextView text, std::int64_t limit) {
  const std::optional<DecimalNumber> number = Parse(text);
  if (!number) throw ProgramError(kTypeMismatch, Text(kTypeMismatchText));
  const std::optional<std::int64_t> value = WithinSigned(Round(*number), limit);
  if (!value) throw ProgramError(kOverflow, Text(kOverflowText));
  return *value;
}

}  // namespace

std::optional<double> RoundedNumber(TextView text) {
  const std::optional<DecimalNumber> number = Parse(text);
  if (!number) return std::nullopt;
  const WholeNumber whole = Round(*number);
  // Digits only, which no locale reads otherwise; beyond the range of a
  // double strtod gives infinity.
  const double magnitude =
      whole.huge ? std::numeric_limits<double>::infinity() : std::strtod(("0" + whole.digits).c_str(), nullptr);
  // 0.0 - 0.0 is +0.0: a negative text that rounds to zero gives zero.
  return whole.negative ? 0.0 - magnitude : magnitude;
}

std::int32_t ToInt32(TextView text) {
  return static_cast<std::int32_t>(ConvertOrThrow(text, std::numeric_limits<std::int32_t>::max()));
}

std::int16_t ToInt16(TextView text) {
  return static_cast<std::int16_t>(ConvertOrThrow(text, std::numeric_limits<std::int16_t>::max()));
}

}  // namespace tavik
