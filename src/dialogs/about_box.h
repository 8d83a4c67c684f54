// frmAbout's texts and layout, without windows.
#pragma once

#include "common/text.h"

namespace tavik {

struct ProgramVersion {
  unsigned major = 0;
  unsigned minor = 0;
  unsigned revision = 0;
};

// "<title>のﾊﾞｰｼﾞｮﾝ情報"
Text AboutCaption(TextView title);
// "ﾊﾞｰｼﾞｮﾝ <major>.<minor>.<revision>", plain decimal numbers.
Text AboutVersionLine(const ProgramVersion& version);

inline constexpr TextView kAboutDesignCaption = u"ﾊﾞｰｼﾞｮﾝ情報";
inline constexpr TextView kAboutDescription =
    u"TavikViewから受け取った患者情報をファイルメーカーに登録します。";
inline constexpr TextView kAboutTitleFont = u"ＭＳ Ｐゴシック";
inline constexpr TextView kAboutOk = u"OK";

// Layout in twips: left, top, width, height.
struct TwipsRect {
  int left, top, width, height;
};
inline constexpr int kAboutClientWidth = 5256;
inline constexpr int kAboutClientHeight = 3264;
inline constexpr TwipsRect kAboutIcon{240, 240, 432, 432};
inline constexpr TwipsRect kAboutTitle{1056, 240, 3756, 480};
inline constexpr TwipsRect kAboutVersion{1080, 960, 3732, 228};
inline constexpr TwipsRect kAboutDescriptionRect{1080, 1440, 3276, 444};
inline constexpr TwipsRect kAboutOkRect{3840, 2400, 1310, 345};
// The etched separator: grey from x 96 to 5160 at y 2168, white (2 px)
// from x 108 to 5160 at y 2198.
inline constexpr int kAboutGreyLineLeft = 96;
inline constexpr int kAboutGreyLineY = 2168;
inline constexpr int kAboutWhiteLineLeft = 108;
inline constexpr int kAboutWhiteLineY = 2198;
inline constexpr int kAboutLineRight = 5160;
// 10.8 point.
inline constexpr int kAboutTitleTenthPoints = 108;

}  // namespace tavik
