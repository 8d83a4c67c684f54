#include "settings/program_values.h"

#include <algorithm>

#include "settings/number_text.h"

namespace tavik {

std::optional<std::int32_t> TickIntervalFromText(TextView text) {
  const std::optional<double> value = RoundedNumber(text);
  if (!value) return std::nullopt;
  // A whole number, or an infinity beyond a double's range: a value beyond
  // the signed 32-bit range goes to the bound on its side.
  return static_cast<std::int32_t>(
      std::clamp(*value, static_cast<double>(kMinTickInterval), static_cast<double>(kMaxTickInterval)));
}

}  // namespace tavik
