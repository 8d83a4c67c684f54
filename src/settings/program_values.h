// The values the program works with during a run, shared by the main
// window, the intake's tick and the dialogs. One instance lives for the
// run; with them, the bounds and conversions of the tick interval.
#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>

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

// A tick interval brought into kMinTickInterval..kMaxTickInterval.
constexpr std::int32_t ClampTickInterval(std::int32_t value) {
  return std::clamp(value, kMinTickInterval, kMaxTickInterval);
}

// The options dialog's reading of its number box: nullopt when the text is
// no number text; otherwise the value rounded (halves to the even
// neighbour) and then clamped, a value beyond the signed 32-bit range
// going to the bound on its side.
std::optional<std::int32_t> TickIntervalFromText(TextView text);

}  // namespace tavik
