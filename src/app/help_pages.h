// What the program's own help window shows of a help file's topic, apart
// from the window.
#pragma once

#include <cstddef>
#include <vector>

#include "app/help_file.h"
#include "common/text.h"

namespace tavik {

// A topic that the shown topic's jumps lead to, by its title.
struct HelpLink {
  Text title;
  std::size_t topic = 0;
};

struct HelpPage {
  Text text;                    // the paragraphs, an empty line between two
  std::vector<HelpLink> links;  // each topic once, in the order of the jumps; none to itself
};

// The page of topic `topic` of `file` (an index into file.topics).
HelpPage PageOf(const HelpFile& file, std::size_t topic);

}  // namespace tavik
