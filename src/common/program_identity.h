// Who the program is: its title (captions, message boxes, its settings'
// application name) and the viewer whose settings it reads.
#pragma once

#include "common/text.h"

namespace tavik {

inline constexpr TextView kProgramTitle = u"TavikFM";
inline constexpr TextView kViewerTitle = u"TavikView";

}  // namespace tavik
