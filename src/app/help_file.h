// The program's help file, tavikfm.hlp, read without Windows: the WinHelp
// 4.0 container and the parts of it that the help window shows (the
// file's title, its contents topic, every topic's title, paragraphs,
// keywords and jumps). It reads what tools/make_help.py writes, and plain
// files of Halibut's: WinHelp 4.0, uncompressed, paragraphs of
// text with font changes and jumps to topics of the file; text is in the
// ANSI code page (932) and is decoded as patient files are.
//
// The reader takes the file's bytes as they are and never trusts them: a
// file that is truncated, corrupt, compressed, of another kind or with
// more in it (a table, a picture, a macro, a popup, tab stops...) is
// refused with a HelpFileError naming what is wrong; no offset or count in
// the file makes it read outside the bytes it was given or loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "common/text.h"

namespace tavik {

// Why a help file was refused.
enum class HelpFileFault {
  NotAHelpFile,  // no WinHelp file header
  Truncated,     // a structure runs past the end of the bytes
  Corrupt,       // an offset, count or record that cannot be
  Compressed,    // LZ77 or phrase compression, which this reader does not undo
  Unsupported,   // a record or formatting that this reader does not read
  Missing,       // a part the reader needs (|SYSTEM, |TOPIC, ...) is not in the file, or no topic is
};

class HelpFileError : public std::runtime_error {
 public:
  HelpFileError(HelpFileFault fault, const std::string& what) : std::runtime_error(what), fault_(fault) {}
  HelpFileFault fault() const { return fault_; }

 private:
  HelpFileFault fault_;
};

// A piece of a paragraph: plain text, or a jump's hotspot text with the
// topic it leads to (an index into HelpFile::topics; kNoTopic when the
// file names no topic for the jump's context).
struct HelpSpan {
  static constexpr std::size_t kNoTopic = static_cast<std::size_t>(-1);
  Text text;
  std::size_t jump_to = kNoTopic;
  bool is_jump = false;
};

struct HelpParagraph {
  std::vector<HelpSpan> spans;
  Text PlainText() const;  // the spans' texts, joined
};

// The paragraphs are those of the topic's scrolling region: the heading
// that help files put in the non-scrolling region above is `title`.
struct HelpTopic {
  Text title;
  std::vector<HelpParagraph> paragraphs;
  std::vector<Text> keywords;  // from the keyword index, in its order
  Text PlainText() const;      // the paragraphs' texts, one line each, joined with "\r\n"
};

struct HelpFile {
  Text title;                      // |SYSTEM's title
  std::size_t contents_topic = 0;  // index into topics: |SYSTEM's contents topic, else the first
  std::vector<HelpTopic> topics;   // in the file's order, at least one
};

// Reads a whole help file from its bytes. Throws HelpFileError.
HelpFile ReadHelpFile(std::string_view bytes);

}  // namespace tavik
