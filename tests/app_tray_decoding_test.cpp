// Tray notifications as Form_MouseDown gets them, and layout twips as pixels.
#include "app/tray_decoding.h"
#include "common/twips.h"
#include "support/test_support.h"

namespace tavik {
namespace {

// `dpi`: the screen's resolution, 1440 / dpi twips a pixel.
struct DecodeRow { const char* name; int buttons; double x_twips; int dpi; TrayAction action; };

const DecodeRow kDecodeRows[] = {
    {"a left press on the icon beeps", 4, 513 * 15.0, 96, TrayAction::Beep},
    {"a left double click shows the window", 4, 515 * 15.0, 96, TrayAction::ShowWindow},
    {"a right press opens the popup", 4, 516 * 15.0, 96, TrayAction::PopupMenu},
    {"at 120 dpi a right press opens the popup", 4, 516 * 12.0, 120, TrayAction::PopupMenu},
    {"at 144 dpi a left press beeps", 4, 513 * 10.0, 144, TrayAction::Beep},
    {"at 72 dpi a double click shows the window", 4, 515 * 20.0, 72, TrayAction::ShowWindow},
    {"at 131 dpi ten twips make a pixel", 4, 513 * 10.0, 131, TrayAction::Beep},
    {"a release does nothing", 4, 514 * 15.0, 96, TrayAction::None},
    {"a middle press does nothing", 4, 519 * 15.0, 96, TrayAction::None},
    {"a left press on the window is no notification", 1, 513 * 15.0, 96, TrayAction::None},
    {"a right press on the window is no notification", 2, 516 * 15.0, 96, TrayAction::None},
    {"the middle button with another still decodes", 5, 516 * 15.0, 96, TrayAction::PopupMenu},
    {"a middle click inside the window is far below the codes", 4, 3696.0, 96, TrayAction::None},
    {"a fraction of a twip below a code still reads as it", 4, 7739.6, 96, TrayAction::PopupMenu},
    {"half a twip goes down to the even neighbour", 4, 7694.5, 96, TrayAction::None},
    {"half a twip goes up to the even neighbour", 4, 7695.5, 96, TrayAction::Beep},
    {"a screen without a resolution counts 15 twips a pixel", 4, 513 * 15.0, 0, TrayAction::Beep},
    {"above 1440 dpi a pixel is one twip", 4, 513.0, 2000, TrayAction::Beep},
};

class TrayMouseDown : public testing::TestWithParam<DecodeRow> {};

TEST_P(TrayMouseDown, Decodes) {
  const DecodeRow& row = GetParam();
  EXPECT_EQ(DecodeTrayMouseDown(row.buttons, row.x_twips, TwipsPerPixel(row.dpi)), row.action);
}

INSTANTIATE_TEST_SUITE_P(Tray, TrayMouseDown, testing::ValuesIn(kDecodeRows), test::RowName<DecodeRow>);

TEST(TrayMouseDownAtFractionalTwipsPerPixel, RoundsTheDivisorHalfToEven) {
  EXPECT_EQ(DecodeTrayMouseDown(4, 515 * 14.0, 14.5), TrayAction::ShowWindow);
  EXPECT_EQ(DecodeTrayMouseDown(4, 515 * 16.0, 15.5), TrayAction::ShowWindow);
  EXPECT_EQ(DecodeTrayMouseDown(4, 516.0, 0.4), TrayAction::None);
}

struct PixelRow { const char* name; int twips, dpi, pixels; };

const PixelRow kPixelRows[] = {
    {"the main window is 308 pixels wide at 120 dpi", 3696, 120, 308},  {"and 185 at 72 dpi", 3696, 72, 185},
    {"half a pixel goes up", 30, 72, 2}, {"less than half a pixel goes down", 7, 96, 0},
    {"a negative half goes away from zero", -30, 72, -2}, {"a hair under half goes down", 709, 131, 64},
};

class LayoutTwips : public testing::TestWithParam<PixelRow> {};

TEST_P(LayoutTwips, BecomePixels) { EXPECT_EQ(TwipsToPixels(GetParam().twips, GetParam().dpi), GetParam().pixels); }

INSTANTIATE_TEST_SUITE_P(Layout, LayoutTwips, testing::ValuesIn(kPixelRows), test::RowName<PixelRow>);

}  // namespace
}  // namespace tavik
