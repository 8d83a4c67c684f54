// Decoding of the tray icon's notifications. The icon reports to the
// main window as a middle-button press whose pixel x coordinate is the
// mouse message over the icon; the window hands it on in twips.
#pragma once

#include <cstdint>

namespace tavik {

inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;
inline constexpr int kMiddleButton = 4;

enum class TrayAction { None, Beep, ShowWindow, PopupMenu };

// Rounds to the nearest whole number, a half to the even neighbour.
std::int64_t RoundHalfEven(double value);

// Form_MouseDown: what to do for a press of `button_set` at `x_twips`. The
// mouse message is x in twips rounded, integer-divided by the twips per
// pixel rounded.
TrayAction DecodeTrayMouseDown(int button_set, double x_twips, double twips_per_pixel);

// Horizontal twips per pixel as the window reports mouse positions in
// twips: 1440 / dpi, whole (15 at 96 dpi, 12 at 120 dpi), never 0.
int TwipsPerPixel(int dots_per_inch);

}  // namespace tavik
