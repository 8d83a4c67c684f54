// The values the program works with during a run, shared by the main
// window, the intake's tick and the dialogs. One instance lives for the
// run; with them, the bounds and conversions of the tick interval.
#pragma once

#include <cstdint>
#include <optional>
#include <type_traits>

#include "common/text.h"

namespace tavik {

struct ProgramValues {
  Text exchange_folder;               // "Folda" followed by "\Filemk", or as picked; never saved
  Text backup_folder;                 // empty until picked in this run; never saved
  Text database_folder;               // empty until picked in this run; never saved
  std::int32_t tick_interval = 1000;  // milliseconds, as stored
};

// Bounds of the tick interval the program applies (options dialog OK, and
// a stored value at start-up).
inline constexpr std::int32_t kMinTickInterval = 300;
inline constexpr std::int32_t kMaxTickInterval = 60000;

// A tick interval brought into kMinTickInterval..kMaxTickInterval. Any
// whole number works, also one beyond the signed 32-bit range (it goes to
// the bound on its side).
template <typename Integer, std::enable_if_t<std::is_integral_v<Integer> && !std::is_same_v<Integer, bool>, int> = 0>
constexpr std::int32_t ClampTickInterval(Integer value) {
  if (value < Integer{0}) return kMinTickInterval;
  using Wide = std::make_unsigned_t<Integer>;
  const auto magnitude = static_cast<Wide>(value);
  if (magnitude < static_cast<Wide>(kMinTickInterval)) return kMinTickInterval;
  if (magnitude > static_cast<Wide>(kMaxTickInterval)) return kMaxTickInterval;
  return static_cast<std::int32_t>(magnitude);
}

// The same for a whole number held as a double (RoundedNumber's result,
// infinities included). A fraction is cut off; NaN gives the lower bound.
std::int32_t ClampTickInterval(double value);

// The options dialog's reading of its number box: nullopt when the text is
// no number text; otherwise the value rounded (halves to the even
// neighbour) and then clamped, a value beyond the signed 32-bit range
// going to the bound on its side.
std::optional<std::int32_t> TickIntervalFromText(TextView text);

}  // namespace tavik
