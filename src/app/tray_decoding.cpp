#include "app/tray_decoding.h"

#include <cmath>

namespace tavik {

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

std::int64_t TrayNotificationCode(double x_twips, double twips_per_pixel) {
  const std::int64_t divisor = RoundHalfEven(twips_per_pixel);
  if (divisor == 0) return -1;
  return RoundHalfEven(x_twips) / divisor;
}

TrayAction DecodeTrayMouseDown(int button_set, double x_twips, double twips_per_pixel) {
  if ((button_set & kMiddleButton) == 0) return TrayAction::None;
  switch (TrayNotificationCode(x_twips, twips_per_pixel)) {
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

int TwipsToPixels(int twips, int dots_per_inch) {
  const long long scaled = static_cast<long long>(twips) * dots_per_inch;
  // Rounded to nearest, halves away from zero (MulDiv's rule).
  const long long half = 720;
  return static_cast<int>(scaled >= 0 ? (scaled + half) / 1440 : -((-scaled + half) / 1440));
}

int TwipsPerPixel(int dots_per_inch) {
  if (dots_per_inch <= 0) return 15;
  const int tpp = 1440 / dots_per_inch;
  return tpp > 0 ? tpp : 1;
}

}  // namespace tavik
