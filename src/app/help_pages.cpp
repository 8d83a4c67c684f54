#include "app/help_pages.h"

#include <algorithm>

namespace tavik {

HelpPage PageOf(const HelpFile& file, std::size_t topic) {
  HelpPage page;
  const HelpTopic& shown = file.topics.at(topic);
  for (const HelpParagraph& paragraph : shown.paragraphs) {
    if (!page.text.empty()) page.text += u"\r\n\r\n";
    page.text += paragraph.PlainText();
    for (const HelpSpan& span : paragraph.spans) {
      // A jump whose context the file does not know leads nowhere.
      if (!span.is_jump || span.jump_to >= file.topics.size() || span.jump_to == topic) continue;
      const auto same = [&span](const HelpLink& link) { return link.topic == span.jump_to; };
      if (std::none_of(page.links.begin(), page.links.end(), same)) {
        page.links.push_back(HelpLink{file.topics[span.jump_to].title, span.jump_to});
      }
    }
  }
  return page;
}

}  // namespace tavik
