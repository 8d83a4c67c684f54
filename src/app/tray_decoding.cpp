#include "app/tray_decoding.h"

#include <cmath>

namespace tavik {
namespace {

constexpr std::int64_t kTrayLeftDown = 0x0201;    // WM_LBUTTONDOWN
constexpr std::int64_t kTrayLeftDouble = 0x0203;  // WM_LBUTTONDBLCLK
constexpr std::int64_t kTrayRightDown = 0x0204;   // WM_RBUTTONDOWN

}  // namespace

std::int64_t RoundHalfEven(double value) {
  const double floor = std::floor(value);
  const double diff = value - floor;
  double rounded = floor;
  if (diff > 0.5) {
    rounded = floor + 1.0;
  } else if (diff == 0.5) {
    rounded = std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
  }
  return static_cast<std::int64_t>(rounded);
}

TrayAction DecodeTrayMouseDown(int button_set, double x_twips, double twips_per_pixel) {
  if ((button_set & kMiddleButton) == 0) return TrayAction::None;
  const std::int64_t divisor = RoundHalfEven(twips_per_pixel);
  if (divisor == 0) return TrayAction::None;
  switch (RoundHalfEven(x_twips) / divisor) {
    case kTrayLeftDown:
      return TrayAction::Beep;
    case kTrayLeftDouble:
      return TrayAction::ShowWindow;
    case kTrayRightDown:
      return TrayAction::PopupMenu;
    default:
      return TrayAction::None;
  }
}

int TwipsPerPixel(int dots_per_inch) {
  if (dots_per_inch <= 0) return 15;
  const int per_pixel = 1440 / dots_per_inch;
  return per_pixel > 0 ? per_pixel : 1;
}

}  // namespace tavik
