// Decoding of the tray icon's notifications as Form_MouseDown receives
// them: the pressed buttons and the x coordinate in twips.
#include <gtest/gtest.h>

#include <string>

#include "app/tray_decoding.h"

namespace tavik {
namespace {

const char* Name(TrayAction action) {
  switch (action) {
    case TrayAction::None: return "nothing";
    case TrayAction::Beep: return "beep";
    case TrayAction::ShowWindow: return "show the window";
    case TrayAction::PopupMenu: return "popup menu";
  }
  return "?";
}

struct DecodeCase {
  const char* name;
  int buttons;
  double x_twips;
  double twips_per_pixel;
  TrayAction action;
};

class TrayMouseDown : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(TrayMouseDown, Does) {
  const DecodeCase& c = GetParam();
  EXPECT_STREQ(Name(DecodeTrayMouseDown(c.buttons, c.x_twips, c.twips_per_pixel)), Name(c.action))
      << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Tray, TrayMouseDown,
    ::testing::Values(
        DecodeCase{"left down on the icon beeps", 4, 513 * 15.0, 15.0, TrayAction::Beep},
        DecodeCase{"left double click shows the window", 4, 515 * 15.0, 15.0, TrayAction::ShowWindow},
        DecodeCase{"right down opens the popup", 4, 516 * 15.0, 15.0, TrayAction::PopupMenu},
        DecodeCase{"at 120 dpi the same", 4, 516 * 12.0, 12.0, TrayAction::PopupMenu},
        DecodeCase{"at 144 dpi the same", 4, 513 * 10.0, 10.0, TrayAction::Beep},
        DecodeCase{"left up does nothing", 4, 514 * 15.0, 15.0, TrayAction::None},
        DecodeCase{"right up does nothing", 4, 517 * 15.0, 15.0, TrayAction::None},
        DecodeCase{"right double click does nothing", 4, 518 * 15.0, 15.0, TrayAction::None},
        DecodeCase{"middle down does nothing", 4, 519 * 15.0, 15.0, TrayAction::None},
        DecodeCase{"mouse move does nothing", 4, 512 * 15.0, 15.0, TrayAction::None},
        DecodeCase{"a left press on the window is no notification", 1, 513 * 15.0, 15.0,
                   TrayAction::None},
        DecodeCase{"a right press on the window is no notification", 2, 516 * 15.0, 15.0,
                   TrayAction::None},
        DecodeCase{"middle with another button still decodes", 5, 516 * 15.0, 15.0,
                   TrayAction::PopupMenu},
        DecodeCase{"a genuine middle click inside the window", 4, 1200.0, 15.0, TrayAction::None},
        DecodeCase{"the window's right edge is far below 513", 4, 3696.0, 15.0, TrayAction::None},
        DecodeCase{"a fraction of a twip below the code still reads as it", 4, 7739.6, 15.0,
                   TrayAction::PopupMenu},
        DecodeCase{"half a twip rounds down to the even neighbour", 4, 7694.5, 15.0,
                   TrayAction::None},
        DecodeCase{"half a twip rounds up to the even neighbour", 4, 7694.5 + 1.0, 15.0,
                   TrayAction::Beep},
        DecodeCase{"one twip short of the next pixel stays", 4, 516 * 15.0 + 14.0, 15.0,
                   TrayAction::PopupMenu},
        DecodeCase{"twips per pixel 14.5 rounds to 14", 4, 515 * 14.0, 14.5, TrayAction::ShowWindow},
        DecodeCase{"twips per pixel below a half cannot divide", 4, 516.0, 0.4, TrayAction::None}),
    [](const auto& row) { return "Case" + std::to_string(row.index); });

struct RoundCase {
  double value;
  long long rounded;
};

class HalfEven : public ::testing::TestWithParam<RoundCase> {};

TEST_P(HalfEven, RoundsToTheNearestAndHalvesToEven) {
  EXPECT_EQ(RoundHalfEven(GetParam().value), GetParam().rounded) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Tray, HalfEven,
                         ::testing::Values(RoundCase{0.5, 0}, RoundCase{1.5, 2}, RoundCase{2.5, 2},
                                           RoundCase{2.4999, 2}, RoundCase{2.5001, 3},
                                           RoundCase{-0.5, 0}, RoundCase{-1.5, -2},
                                           RoundCase{-2.6, -3}, RoundCase{7740.0, 7740}),
                         [](const auto& row) { return "Case" + std::to_string(row.index); });

struct PixelCase {
  int twips;
  int dpi;
  int pixels;
};

class LayoutTwips : public ::testing::TestWithParam<PixelCase> {};

TEST_P(LayoutTwips, ConvertToPixelsAtTheScreensResolution) {
  EXPECT_EQ(TwipsToPixels(GetParam().twips, GetParam().dpi), GetParam().pixels)
      << GetParam().twips << " twips at " << GetParam().dpi << " dpi";
}

INSTANTIATE_TEST_SUITE_P(Layout, LayoutTwips,
                         ::testing::Values(PixelCase{3696, 96, 246}, PixelCase{1560, 96, 104},
                                           PixelCase{3696, 120, 308}, PixelCase{1560, 144, 156},
                                           PixelCase{120, 96, 8}, PixelCase{0, 96, 0},
                                           PixelCase{7, 96, 0}, PixelCase{8, 96, 1}),
                         [](const auto& row) { return "Case" + std::to_string(row.index); });

TEST(TwipsPerPixelTest, IsWholeAndNeverZero) {
  EXPECT_EQ(TwipsPerPixel(96), 15);
  EXPECT_EQ(TwipsPerPixel(120), 12);
  EXPECT_EQ(TwipsPerPixel(144), 10);
  EXPECT_EQ(TwipsPerPixel(2000), 1);
  EXPECT_EQ(TwipsPerPixel(0), 15);
}

TEST(TrayRoundTripTest, EveryPixelCodeSurvivesTheTwipsRoundTripAtCommonResolutions) {
  for (int dpi : {72, 96, 110, 120, 144, 192}) {
    const int tpp = TwipsPerPixel(dpi);
    for (int code = 0; code < 0x10000; code += 7) {
      EXPECT_EQ(TrayNotificationCode(code * static_cast<double>(tpp), tpp), code) << dpi;
    }
  }
}

}  // namespace
}  // namespace tavik
