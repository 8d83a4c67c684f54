#include "settings/program_values.h"

#include <algorithm>
#include <cmath>

#include "settings/number_text.h"

namespace tavik {

std::int32_t ClampTickInterval(double value) {
  if (std::isnan(value)) return kMinTickInterval;
  return static_cast<std::int32_t>(
      std::clamp(value, static_cast<double>(kMinTickInterval), static_cast<double>(kMaxTickInterval)));
}

std::optional<std::int32_t> TickIntervalFromText(TextView text) {
  const std::optional<double> value = RoundedNumber(text);
  if (!value) return std::nullopt;
  return ClampTickInterval(*value);
}

}  // namespace tavik
