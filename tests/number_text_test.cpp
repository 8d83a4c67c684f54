// Number texts: which texts are numbers, their conversion to 16-bit and
// 32-bit whole numbers with halves going to the even neighbour, the errors
// for texts that are no number or do not fit, and the tick interval taken
// from a number text.
#include "settings/number_text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <ostream>
#include <string>

#include "common/program_error.h"
#include "settings/program_values.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::U;
using test::Utf8;

using test::RowName;

constexpr double kInfinity = std::numeric_limits<double>::infinity();

// --- Which texts are numbers --------------------------------------------------

struct RecognitionCase {
  const char* name;
  const char* text;
  bool number;
};
void PrintTo(const RecognitionCase& row, std::ostream* os) { *os << row.name; }

class Recognition : public ::testing::TestWithParam<RecognitionCase> {};

TEST_P(Recognition, TellsNumbersFromOtherTexts) {
  const RecognitionCase& c = GetParam();
  EXPECT_EQ(IsNumberText(U(c.text)), c.number) << "text \"" << c.text << "\"";
  EXPECT_EQ(RoundedNumber(U(c.text)).has_value(), c.number) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Number, Recognition,
    ::testing::Values(
        RecognitionCase{"plain digits are a number", "123", true},
        RecognitionCase{"a single zero is a number", "0", true},
        RecognitionCase{"a leading plus sign is accepted", "+5", true},
        RecognitionCase{"a leading minus sign is accepted", "-5", true},
        RecognitionCase{"leading zeros are accepted", "007", true},
        RecognitionCase{"spaces around are accepted", "  12  ", true},
        RecognitionCase{"tabs around are accepted", "\t12\t", true},
        RecognitionCase{"full width spaces around are accepted", "\u3000 12\u3000", true},
        RecognitionCase{"blanks before a sign are accepted", " -12", true},
        RecognitionCase{"group separators between digits are accepted", "1,000", true},
        RecognitionCase{"group separators with blanks around are accepted", " 1,000 ", true},
        RecognitionCase{"group sizes are not checked", "1,00,0", true},
        RecognitionCase{"group separators before a decimal part are accepted", "1,234.5", true},
        RecognitionCase{"a decimal part is accepted", "1000.5", true},
        RecognitionCase{"a decimal point without fraction digits is accepted", "1.", true},
        RecognitionCase{"a decimal part without integer digits is accepted", ".5", true},
        RecognitionCase{"a signed decimal part without integer digits is accepted", "-.5", true},
        RecognitionCase{"an exponent is accepted", "1e3", true},
        RecognitionCase{"a capital E with a signed exponent is accepted", "1.5E+2", true},
        RecognitionCase{"a negative exponent is accepted", "25e-1", true},
        RecognitionCase{"an exponent after a bare decimal point is accepted", "1.e2", true},
        RecognitionCase{"an exponent with leading zeros is accepted", "1e0003", true},
        RecognitionCase{"a huge exponent is accepted", "1e999", true},
        RecognitionCase{"a minus zero is accepted", "-0", true},
        RecognitionCase{"an empty text is no number", "", false},
        RecognitionCase{"blanks alone are no number", "   ", false},
        RecognitionCase{"letters are no number", "abc", false},
        RecognitionCase{"digits followed by letters are no number", "12abc", false},
        RecognitionCase{"a hexadecimal prefix is no number", "&H10", false},
        RecognitionCase{"an octal prefix is no number", "&O17", false},
        RecognitionCase{"a C style hexadecimal prefix is no number", "0x10", false},
        RecognitionCase{"a yen sign is no number", "¥100", false},
        RecognitionCase{"a full width yen sign is no number", "￥100", false},
        RecognitionCase{"a dollar sign is no number", "$5", false},
        RecognitionCase{"a percent sign is no number", "5%", false},
        RecognitionCase{"parentheses are no number", "(5)", false},
        RecognitionCase{"a sign alone is no number", "-", false},
        RecognitionCase{"a decimal point alone is no number", ".", false},
        RecognitionCase{"two signs are no number", "+-5", false},
        RecognitionCase{"a trailing sign is no number", "5-", false},
        RecognitionCase{"a blank between sign and digits is no number", "- 5", false},
        RecognitionCase{"a blank inside the digits is no number", "1 000", false},
        RecognitionCase{"a leading group separator is no number", ",100", false},
        RecognitionCase{"a trailing group separator is no number", "100,", false},
        RecognitionCase{"two group separators in a row are no number", "1,,000", false},
        RecognitionCase{"a group separator before the decimal point is no number", "1,.5", false},
        RecognitionCase{"a group separator in the decimal part is no number", "1.000,5", false},
        RecognitionCase{"a group separator in the exponent is no number", "1e1,0", false},
        RecognitionCase{"two decimal points are no number", "1.2.3", false},
        RecognitionCase{"an exponent without digits is no number", "1e", false},
        RecognitionCase{"an exponent sign without digits is no number", "1e+", false},
        RecognitionCase{"an exponent without a mantissa is no number", "e5", false},
        RecognitionCase{"a decimal point before the exponent alone is no number", ".e5", false},
        RecognitionCase{"a fractional exponent is no number", "1e2.5", false},
        RecognitionCase{"a D exponent is no number", "1D3", false},
        RecognitionCase{"full width digits are no number", "１２３", false},
        RecognitionCase{"a line break after the digits is no number", "12\n", false},
        RecognitionCase{"a no break space around is no number", "\u00A012", false}),
    RowName<RecognitionCase>);

TEST(NumberRecognition, ANulInsideTheTextIsNoNumber) {
  const Text text(u"12\0", 3);
  EXPECT_FALSE(IsNumberText(text));
}

// --- Conversion to 32-bit and 16-bit whole numbers ---------------------------------

struct Int32Case {
  const char* name;
  const char* text;
  std::int32_t value;
};
void PrintTo(const Int32Case& row, std::ostream* os) { *os << row.name; }

class Int32Conversion : public ::testing::TestWithParam<Int32Case> {};

TEST_P(Int32Conversion, GivesTheRoundedValue) {
  const Int32Case& c = GetParam();
  EXPECT_EQ(ToInt32(U(c.text)), c.value) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Number, Int32Conversion,
    ::testing::Values(
        Int32Case{"plain digits give their value", "1000", 1000},
        Int32Case{"a minus sign gives a negative value", "-5", -5},
        Int32Case{"a plus sign gives a positive value", "+5", 5},
        Int32Case{"blanks and group separators are ignored", " 1,000 ", 1000},
        Int32Case{"unevenly grouped digits give their value", "1,00,0", 1000},
        Int32Case{"leading zeros are ignored", "00000000000000000000000000042", 42},
        Int32Case{"an exponent multiplies", "1e3", 1000},
        Int32Case{"a decimal part with a signed exponent multiplies", "1.5E+2", 150},
        Int32Case{"a negative exponent divides", "25e-1", 2},
        Int32Case{"a half below an even number goes down to it", "1000.5", 1000},
        Int32Case{"a half below an odd number goes up to the even one", "1001.5", 1002},
        Int32Case{"a negative half goes to the even neighbour above", "-2.5", -2},
        Int32Case{"a negative half goes to the even neighbour below", "-3.5", -4},
        Int32Case{"one half goes to zero", "0.5", 0},
        Int32Case{"one and a half goes to two", "1.5", 2},
        Int32Case{"minus one half goes to zero", "-0.5", 0},
        Int32Case{"less than a half goes down", "2.4999999", 2},
        Int32Case{"more than a half goes up", "2.5000001", 3},
        Int32Case{"a half with a far away extra digit goes up", "2.50000000000000000000001", 3},
        Int32Case{"a half written with an exponent goes to even", "10005e-1", 1000},
        Int32Case{"a rounding carry adds a digit", "999999.5", 1000000},
        Int32Case{"a rounding carry through nines", "99.5", 100},
        Int32Case{"a tiny fraction goes to zero", "0.0000001", 0},
        Int32Case{"a huge negative exponent goes to zero", "1e-999", 0},
        Int32Case{"zero with a huge exponent stays zero", "0e999", 0},
        Int32Case{"minus zero is zero", "-0", 0},
        Int32Case{"the largest 32 bit value fits", "2147483647", 2147483647},
        Int32Case{"the smallest 32 bit value fits", "-2147483648", -2147483647 - 1},
        Int32Case{"a fraction below the largest value rounds to it", "2147483647.4", 2147483647},
        Int32Case{"a half beyond the smallest value rounds to the even smallest", "-2147483648.5",
                  -2147483647 - 1},
        Int32Case{"the largest value with an exponent fits", "2.147483647e9", 2147483647}),
    RowName<Int32Case>);

struct Int16Case {
  const char* name;
  const char* text;
  std::int16_t value;
};
void PrintTo(const Int16Case& row, std::ostream* os) { *os << row.name; }

class Int16Conversion : public ::testing::TestWithParam<Int16Case> {};

TEST_P(Int16Conversion, GivesTheRoundedValue) {
  const Int16Case& c = GetParam();
  EXPECT_EQ(ToInt16(U(c.text)), c.value) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Number, Int16Conversion,
    ::testing::Values(Int16Case{"zero gives zero", "0", 0}, Int16Case{"one gives one", "1", 1},
                      Int16Case{"a grouped number gives its value", "1,000", 1000},
                      Int16Case{"a half goes to the even neighbour", "2.5", 2},
                      Int16Case{"the largest 16 bit value fits", "32767", 32767},
                      Int16Case{"the smallest 16 bit value fits", "-32768", -32768},
                      Int16Case{"a fraction below the largest value rounds to it", "32767.4",
                                32767},
                      Int16Case{"a half beyond the smallest value rounds to the even smallest",
                                "-32768.5", -32768}),
    RowName<Int16Case>);

// --- Errors -----------------------------------------------------------------------------

struct ErrorCase {
  const char* name;
  const char* text;
  int bits;  // 16 or 32
  int number;
};
void PrintTo(const ErrorCase& row, std::ostream* os) { *os << row.name; }

class ConversionErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ConversionErrors, ThrowTheProgramError) {
  const ErrorCase& c = GetParam();
  const Text text = U(c.text);
  try {
    if (c.bits == 16) {
      ToInt16(text);
    } else {
      ToInt32(text);
    }
    ADD_FAILURE() << "no error for \"" << c.text << "\"";
  } catch (const ProgramError& error) {
    EXPECT_EQ(error.number(), c.number) << "text \"" << c.text << "\"";
    const TextView expected = c.number == kOverflow ? kOverflowText : kTypeMismatchText;
    EXPECT_EQ(Utf8(error.description()), Utf8(expected));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Number, ConversionErrors,
    ::testing::Values(
        ErrorCase{"one above the largest 16 bit value overflows", "32768", 16, kOverflow},
        ErrorCase{"one below the smallest 16 bit value overflows", "-32769", 16, kOverflow},
        ErrorCase{"a half above the largest 16 bit value rounds up and overflows", "32767.5", 16,
                  kOverflow},
        ErrorCase{"more than a half below the smallest 16 bit value overflows", "-32768.6", 16,
                  kOverflow},
        ErrorCase{"an exponent beyond 16 bits overflows", "1e5", 16, kOverflow},
        ErrorCase{"a huge exponent overflows 16 bits", "1e999", 16, kOverflow},
        ErrorCase{"one above the largest 32 bit value overflows", "2147483648", 32, kOverflow},
        ErrorCase{"one below the smallest 32 bit value overflows", "-2147483649", 32, kOverflow},
        ErrorCase{"a half above the largest 32 bit value rounds up and overflows", "2147483647.5",
                  32, kOverflow},
        ErrorCase{"an exponent beyond 32 bits overflows", "1e10", 32, kOverflow},
        ErrorCase{"a huge exponent overflows 32 bits", "1e999", 32, kOverflow},
        ErrorCase{"a huge negative number overflows 32 bits", "-1e999", 32, kOverflow},
        ErrorCase{"a value beyond 64 bits overflows 32 bits", "18446744073709551616", 32,
                  kOverflow},
        ErrorCase{"a value just beyond signed 64 bits overflows 32 bits", "9223372036854775808", 32,
                  kOverflow},
        ErrorCase{"an empty text is a type mismatch for 32 bits", "", 32, kTypeMismatch},
        ErrorCase{"an empty text is a type mismatch for 16 bits", "", 16, kTypeMismatch},
        ErrorCase{"letters are a type mismatch", "abc", 32, kTypeMismatch},
        ErrorCase{"a hexadecimal prefix is a type mismatch", "&H10", 32, kTypeMismatch},
        ErrorCase{"a yen sign is a type mismatch", "¥100", 32, kTypeMismatch},
        ErrorCase{"a trailing group separator is a type mismatch", "1,000,", 16, kTypeMismatch},
        ErrorCase{"a text that is no number is a mismatch even when huge", "1e999x", 32,
                  kTypeMismatch}),
    RowName<ErrorCase>);

// --- The value as a double ------------------------------------------------------------

struct RoundedCase {
  const char* name;
  const char* text;
  double value;
};
void PrintTo(const RoundedCase& row, std::ostream* os) { *os << row.name; }

class RoundedValues : public ::testing::TestWithParam<RoundedCase> {};

TEST_P(RoundedValues, AreWholeNumbersOrInfinities) {
  const RoundedCase& c = GetParam();
  const std::optional<double> value = RoundedNumber(U(c.text));
  ASSERT_TRUE(value.has_value()) << "text \"" << c.text << "\"";
  EXPECT_EQ(*value, c.value) << "text \"" << c.text << "\"";
  EXPECT_EQ(std::signbit(*value), std::signbit(c.value)) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Number, RoundedValues,
    ::testing::Values(
        RoundedCase{"a half goes to the even neighbour", "1000.5", 1000.0},
        RoundedCase{"a negative fraction rounding to zero gives plain zero", "-0.4", 0.0},
        RoundedCase{"minus zero gives plain zero", "-0", 0.0},
        RoundedCase{"a value beyond 32 bits keeps its size", "2147483648", 2147483648.0},
        RoundedCase{"a value beyond 64 bits keeps its size", "1e20", 1e20},
        RoundedCase{"the largest double is reached", "1.7976931348623157e308",
                    std::numeric_limits<double>::max()},
        RoundedCase{"a value just beyond doubles is infinite", "1e309", kInfinity},
        RoundedCase{"a huge exponent is infinite", "1e999", kInfinity},
        RoundedCase{"a huge negative exponent is minus infinity", "-1e999", -kInfinity},
        RoundedCase{"a tiny value is zero", "1e-999", 0.0}),
    RowName<RoundedCase>);

// --- Long texts take time in proportion to their length ----------------------------------

struct LongCase {
  const char* name;
  Text text;
  std::optional<double> value;  // nullopt: no number
};
void PrintTo(const LongCase& row, std::ostream* os) { *os << row.name; }

std::vector<LongCase> LongCases() {
  constexpr std::size_t kLength = 1'000'000;
  const Text zeros(kLength, u'0');
  const Text nines(kLength, u'9');
  Text grouped = u"1";
  for (std::size_t i = 0; i < kLength / 4; ++i) grouped += u",000";
  return {
      {"a million digits are one huge number", u"1" + zeros, kInfinity},
      {"a million grouped digits are one huge number", grouped, kInfinity},
      {"a million leading zeros leave the value", zeros + u"42", 42.0},
      {"a million fraction zeros before a one round to zero", u"0." + zeros + u"1", 0.0},
      {"an exact half with a million zeros goes to even", u"0.5" + zeros, 0.0},
      {"a half with a far away one goes up", u"0.5" + zeros + u"1", 1.0},
      {"a million digit exponent is infinite", u"1e" + nines, kInfinity},
      {"a million digit negative exponent is zero", u"1e-" + nines, 0.0},
      {"a million digits cancelled by their exponent are small", u"1" + zeros + u"e-1000000", 1.0},
      {"a million digits followed by a letter are no number", u"1" + zeros + u"x", std::nullopt},
  };
}

class LongTexts : public ::testing::TestWithParam<LongCase> {};

TEST_P(LongTexts, AreReadQuicklyAndCorrectly) {
  const LongCase& c = GetParam();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RoundedNumber(c.text), c.value);
  EXPECT_EQ(IsNumberText(c.text), c.value.has_value());
  if (c.value && std::isinf(*c.value)) {
    EXPECT_THROW(ToInt32(c.text), ProgramError);
  }
  // A pass that is not linear would take minutes on a million characters.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

INSTANTIATE_TEST_SUITE_P(Number, LongTexts, ::testing::ValuesIn(LongCases()), RowName<LongCase>);

// --- The tick interval ------------------------------------------------------------------

struct TickTextCase {
  const char* name;
  const char* text;
  std::optional<std::int32_t> interval;  // nullopt: refused as no number
};
void PrintTo(const TickTextCase& row, std::ostream* os) { *os << row.name; }

class TickIntervalTexts : public ::testing::TestWithParam<TickTextCase> {};

TEST_P(TickIntervalTexts, AreRoundedThenClamped) {
  const TickTextCase& c = GetParam();
  EXPECT_EQ(TickIntervalFromText(U(c.text)), c.interval) << "text \"" << c.text << "\"";
}

INSTANTIATE_TEST_SUITE_P(
    Number, TickIntervalTexts,
    ::testing::Values(
        TickTextCase{"a value inside the range stays", "1000", 1000},
        TickTextCase{"a value below the range becomes the lower bound", "150", 300},
        TickTextCase{"the lower bound stays", "300", 300},
        TickTextCase{"the upper bound stays", "60000", 60000},
        TickTextCase{"a value above the range becomes the upper bound", "60001", 60000},
        TickTextCase{"a negative value becomes the lower bound", "-5", 300},
        TickTextCase{"a half is rounded to even before the clamp", "1000.5", 1000},
        TickTextCase{"a half below the lower bound rounds up into the range", "299.5", 300},
        TickTextCase{"a half above the upper bound is clamped", "60000.5", 60000},
        TickTextCase{"a grouped value is read", "1,500", 1500},
        TickTextCase{"a value beyond 32 bits goes to the upper bound", "2147483648", 60000},
        TickTextCase{"a value below 32 bits goes to the lower bound", "-2147483649", 300},
        TickTextCase{"a huge value goes to the upper bound", "1e999", 60000},
        TickTextCase{"a huge negative value goes to the lower bound", "-1e999", 300},
        TickTextCase{"an empty text is refused", "", std::nullopt},
        TickTextCase{"letters are refused", "abc", std::nullopt}),
    RowName<TickTextCase>);

struct ClampCase {
  const char* name;
  std::int64_t value;
  std::int32_t interval;
};
void PrintTo(const ClampCase& row, std::ostream* os) { *os << row.name; }

class TickIntervalClamp : public ::testing::TestWithParam<ClampCase> {};

TEST_P(TickIntervalClamp, KeepsWholeNumbersInRange) {
  const ClampCase& c = GetParam();
  EXPECT_EQ(ClampTickInterval(c.value), c.interval);
  EXPECT_EQ(ClampTickInterval(static_cast<double>(c.value)), c.interval);
}

INSTANTIATE_TEST_SUITE_P(
    Number, TickIntervalClamp,
    ::testing::Values(ClampCase{"the smallest 64 bit value gives the lower bound",
                                std::numeric_limits<std::int64_t>::min(), 300},
                      ClampCase{"minus one gives the lower bound", -1, 300},
                      ClampCase{"zero gives the lower bound", 0, 300},
                      ClampCase{"one below the lower bound gives the lower bound", 299, 300},
                      ClampCase{"the lower bound stays", 300, 300},
                      ClampCase{"a value inside stays", 1000, 1000},
                      ClampCase{"the upper bound stays", 60000, 60000},
                      ClampCase{"one above the upper bound gives the upper bound", 60001, 60000},
                      ClampCase{"a value beyond 32 bits gives the upper bound", 4294967296, 60000},
                      ClampCase{"the largest 64 bit value gives the upper bound",
                                std::numeric_limits<std::int64_t>::max(), 60000}),
    RowName<ClampCase>);

TEST(NumberTickIntervalClamp, TakesOtherWholeNumberTypesAndOddDoubles) {
  EXPECT_EQ(ClampTickInterval(std::int32_t{150}), 300);
  EXPECT_EQ(ClampTickInterval(std::int16_t{-1}), 300);
  EXPECT_EQ(ClampTickInterval(std::numeric_limits<std::uint64_t>::max()), 60000);
  EXPECT_EQ(ClampTickInterval(std::uint32_t{1500}), 1500);
  EXPECT_EQ(ClampTickInterval(kInfinity), 60000);
  EXPECT_EQ(ClampTickInterval(-kInfinity), 300);
  EXPECT_EQ(ClampTickInterval(std::numeric_limits<double>::quiet_NaN()), 300);
  EXPECT_EQ(ClampTickInterval(1000.9), 1000);
}

// Written numbers are plain decimal text: no leading zeros, no separators.
TEST(NumberWriting, StoresPlainDecimalTextThatReadsBack) {
  for (const std::int32_t value : {300, 1000, 60000, 0, 1, -5}) {
    const Text text = DecimalText(value);
    EXPECT_EQ(ToInt32(text), value);
    EXPECT_EQ(text.find(u','), Text::npos);
  }
  EXPECT_EQ(Utf8(DecimalText(60000)), "60000");
}

}  // namespace
}  // namespace tavik
