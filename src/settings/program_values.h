// The values the program works with during a run, shared by the main
// window, the intake and the dialogs. One instance lives for the run.
#pragma once

#include <cstdint>

#include "common/text.h"

namespace tavik {

// Which row of the options dialog the folder picker serves.
enum class PickerRow : std::int16_t {
  None = 0,
  PickExchange = 3,
  PickBackup = 4,
  PickDatabase = 5,
};

struct ProgramValues {
  Text ExchangeFolder;   // "Folda" followed by "\Filemk"; never saved
  Text BackupFolder;     // empty until picked in this run; never saved
  Text DatabaseFolder;   // empty until picked in this run; never saved
  std::int32_t TickInterval = 1000;  // milliseconds
  PickerRow PickerTarget = PickerRow::None;
};

// Bounds of the tick interval the program applies (options dialog OK, and
// a stored value at start-up).
inline constexpr std::int32_t kMinTickInterval = 300;
inline constexpr std::int32_t kMaxTickInterval = 60000;

}  // namespace tavik
