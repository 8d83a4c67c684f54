// Number texts as stored settings and the options dialog's number box hold
// them: optional blanks around, optional sign, digits with optional group
// separators, optional decimal part, optional exponent. An empty text is no
// number; hexadecimal prefixes and currency signs are none either.
// Blanks are space, tab and the full-width space U+3000; "," is always the
// group separator (allowed only between two digits of the whole part) and
// "." the decimal point, whatever the locale; exponents are e or E.
#pragma once

#include <cstdint>
#include <optional>

#include "common/text.h"

namespace tavik {

// The value of a number text rounded to a whole number, halves to the even
// neighbour; nullopt when the text is no number. Values beyond the range of
// a double saturate to +/- infinity.
std::optional<double> RoundedNumber(TextView text);

// Conversions that throw ProgramError: 13 (type mismatch) for a text that
// is no number, 6 (overflow) for a value outside the target type.
std::int32_t ToInt32(TextView text);
std::int16_t ToInt16(TextView text);

}  // namespace tavik
