// libFuzzer target: the help file reader on arbitrary bytes.
//
// Besides what the sanitizers catch, it checks what must hold for every
// input: the reader either refuses the bytes with a HelpFileError or gives
// a help file where
//  - reading the same bytes again gives the same file, or the same fault;
//  - there is a topic, and the contents topic is one;
//  - every jump leads to a topic or to kNoTopic, and only a jump leads
//    anywhere;
//  - a topic's plain text is its paragraphs' texts joined by CR LF;
//  - no more characters of titles and text come out than two for each
//    byte that went in (a line break is two), and no more keywords than
//    bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>

#include "app/help_file.h"

namespace {

using tavik::HelpFile;
using tavik::HelpFileError;
using tavik::HelpSpan;
using tavik::Text;

void Check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "invariant broken: %s\n", what);
  std::abort();
}

struct Outcome {
  std::optional<HelpFile> help;
  tavik::HelpFileFault fault{};
};

Outcome Read(std::string_view bytes) {
  try {
    return {tavik::ReadHelpFile(bytes), {}};
  } catch (const HelpFileError& e) {
    return {std::nullopt, e.fault()};
  }
}

bool Same(const HelpFile& a, const HelpFile& b) {
  if (a.title != b.title || a.contents_topic != b.contents_topic || a.topics.size() != b.topics.size()) return false;
  for (std::size_t t = 0; t < a.topics.size(); ++t) {
    const tavik::HelpTopic& x = a.topics[t];
    const tavik::HelpTopic& y = b.topics[t];
    if (x.title != y.title || x.keywords != y.keywords || x.paragraphs.size() != y.paragraphs.size()) return false;
    for (std::size_t p = 0; p < x.paragraphs.size(); ++p) {
      const auto& s = x.paragraphs[p].spans;
      const auto& r = y.paragraphs[p].spans;
      if (s.size() != r.size()) return false;
      for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i].text != r[i].text || s[i].is_jump != r[i].is_jump || s[i].jump_to != r[i].jump_to) return false;
      }
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const Outcome first = Read(bytes);
  const Outcome again = Read(bytes);
  Check(first.help.has_value() == again.help.has_value(), "reading is not deterministic");
  if (!first.help) {
    Check(first.fault == again.fault, "the fault is not deterministic");
    return 0;
  }
  const HelpFile& help = *first.help;
  Check(Same(help, *again.help), "reading is not deterministic");
  Check(!help.topics.empty() && help.contents_topic < help.topics.size(), "no topic, or the contents topic is none");
  std::size_t characters = help.title.size();
  std::size_t keywords = 0;
  for (const tavik::HelpTopic& topic : help.topics) {
    characters += topic.title.size();
    keywords += topic.keywords.size();
    Text joined;
    for (const tavik::HelpParagraph& paragraph : topic.paragraphs) {
      if (&paragraph != &topic.paragraphs.front()) joined += u"\r\n";
      joined += paragraph.PlainText();
      for (const HelpSpan& span : paragraph.spans) {
        characters += span.text.size();
        Check(span.jump_to == HelpSpan::kNoTopic || (span.is_jump && span.jump_to < help.topics.size()),
              "a jump that leads to no topic, or a span that is no jump leading somewhere");
      }
    }
    Check(topic.PlainText() == joined, "a topic's plain text is not its paragraphs'");
  }
  Check(characters <= 2 * size, "more than two characters for a byte");
  Check(keywords <= size, "more keywords than bytes");
  return 0;
}
