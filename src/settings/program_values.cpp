#include "settings/program_values.h"

#include "settings/number_text.h"

namespace tavik {

std::int32_t ClampTickInterval(double value) {
  // Written so that NaN, which fails every comparison, ends at the lower bound.
  if (!(value >= static_cast<double>(kMinTickInterval))) return kMinTickInterval;
  if (value > static_cast<double>(kMaxTickInterval)) return kMaxTickInterval;
  return static_cast<std::int32_t>(value);
}

std::optional<std::int32_t> TickIntervalFromText(TextView text) {
  const std::optional<double> value = RoundedNumber(text);
  if (!value) return std::nullopt;
  return ClampTickInterval(*value);
}

}  // namespace tavik
