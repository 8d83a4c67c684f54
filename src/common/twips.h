// Window layouts are given in twips (1/1440 inch): left, top, width,
// height. They become pixels at the screen's resolution.
#pragma once

namespace tavik {

struct TwipsRect {
  int left, top, width, height;
};

// Twips to pixels at `dots_per_inch`, rounded to the nearest pixel, a half
// away from zero.
int TwipsToPixels(int twips, int dots_per_inch);

}  // namespace tavik
