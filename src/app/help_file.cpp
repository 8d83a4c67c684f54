#include "app/help_file.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "intake/ansi_decoder.h"

namespace tavik {

namespace {

// The container: a header, internal files found by name in a directory,
// B+ trees of fixed-size pages. |TOPIC holds the text in blocks of 4096
// bytes, each starting with a header of 12; the records (topic links)
// follow one another across the blocks. A TOPICPOS names a record as
// block * 0x4000 + 12 + offset in the block's data; a TOPICOFFSET names a
// place in the text as block * 0x8000 + characters before it in the block.
constexpr std::uint32_t kFileMagic = 0x00035F3F;
constexpr std::uint16_t kTreeMagic = 0x293B;
constexpr std::uint16_t kSystemMagic = 0x036C;
constexpr std::size_t kBlockSize = 4096;
constexpr std::size_t kBlockHeader = 12;
constexpr std::size_t kBlockData = kBlockSize - kBlockHeader;
constexpr std::size_t kLinkHeader = 21;
constexpr std::uint32_t kNone = 0xFFFFFFFF;
constexpr std::uint8_t kTopicHeader = 0x02;
constexpr std::uint8_t kText = 0x20;
constexpr std::uint8_t kTable = 0x23;

[[noreturn]] void Fail(HelpFileFault fault, const std::string& what) {
  throw HelpFileError(fault, "help file: " + what);
}

// Bytes read in order, never past their end: reading past it is a
// truncated structure, moving past it an offset out of range.
class In {
 public:
  In(std::string_view bytes, std::string part) : bytes_(bytes), part_(std::move(part)) {}

  std::size_t pos() const { return pos_; }
  std::size_t size() const { return bytes_.size(); }
  bool AtEnd() const { return pos_ == bytes_.size(); }
  const std::string& part() const { return part_; }

  In& Seek(std::size_t at) {
    if (at > bytes_.size()) Fail(HelpFileFault::Corrupt, part_ + ": an offset out of range");
    pos_ = at;
    return *this;
  }
  std::string_view Take(std::size_t n) {
    if (n > bytes_.size() - pos_) Fail(HelpFileFault::Truncated, part_ + " runs past its end");
    const std::string_view taken = bytes_.substr(pos_, n);
    pos_ += n;
    return taken;
  }
  std::uint8_t Peek() {
    const std::uint8_t b = Byte();
    --pos_;
    return b;
  }
  std::uint8_t Byte() { return static_cast<std::uint8_t>(Take(1)[0]); }
  std::uint16_t Word() {
    const std::string_view b = Take(2);
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[0]) | static_cast<std::uint8_t>(b[1]) << 8);
  }
  std::uint32_t Long() {
    const std::uint32_t low = Word();
    return low | static_cast<std::uint32_t>(Word()) << 16;
  }
  // A string ended by NUL, or by the end of the bytes; the NUL is read, not
  // returned.
  std::string_view Piece() {
    const std::size_t end = std::min(bytes_.find('\0', pos_), bytes_.size());
    const std::string_view s = bytes_.substr(pos_, end - pos_);
    pos_ = std::min(end + 1, bytes_.size());
    return s;
  }
  // A string ended by NUL; the NUL is read, not returned.
  std::string_view Stringz() {
    const std::size_t end = bytes_.find('\0', pos_);
    if (end == std::string_view::npos) Fail(HelpFileFault::Truncated, part_ + ": a string runs past its end");
    const std::string_view s = bytes_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return s;
  }
  // The compressed numbers of paragraph records: the lowest bit of the
  // first byte tells the long form (twice the size), the value is halved.
  std::uint16_t CompressedWord() { return static_cast<std::uint16_t>((Peek() & 1 ? Word() : Byte()) >> 1); }
  std::int64_t CompressedSignedShort() {
    return Peek() & 1 ? std::int64_t{Word()} / 2 - 16384 : std::int64_t{Byte()} / 2 - 64;
  }
  std::int64_t CompressedSignedLong() {
    return Peek() & 1 ? std::int64_t{Long()} / 2 - 67108864 : std::int64_t{Word()} / 2 - 16384;
  }

 private:
  std::string_view bytes_;
  std::string part_;
  std::size_t pos_ = 0;
};

// Every leaf entry of a B+ tree in the order of its leaf chain, each read
// from its page by `entry`. The pages visited are bounded by the tree's
// page count, so that a cyclic chain is refused, never followed.
template <typename Entry>
void ForEachLeafEntry(std::string_view file, const std::string& name, Entry entry) {
  In head(file, name);
  if (head.Word() != kTreeMagic) Fail(HelpFileFault::Corrupt, name + " is no B+ tree");
  head.Word();  // flags
  const std::size_t page_size = head.Word();
  head.Take(16 + 2 + 2);  // structure, must be zero, page splits
  std::uint16_t page = head.Word();
  head.Word();  // must be -1
  const std::size_t pages = head.Word();
  const std::size_t levels = head.Word();
  head.Long();  // entries
  if (page_size < 8 || levels == 0 || levels > pages)
    Fail(HelpFileFault::Corrupt, name + ": a B+ tree header that cannot be");
  const std::string_view all = head.Take(pages * page_size);
  const auto open = [&](std::uint16_t number) {
    if (number >= pages) Fail(HelpFileFault::Corrupt, name + ": a page link out of range");
    return In(all.substr(number * page_size, page_size), name + " page " + std::to_string(number));
  };
  for (std::size_t level = 1; level < levels; ++level) page = open(page).Seek(4).Word();  // the first child
  for (std::size_t visited = 0; page != 0xFFFF; ++visited) {
    if (visited == pages) Fail(HelpFileFault::Corrupt, name + ": its leaf pages link in a cycle");
    In leaf = open(page);
    leaf.Word();  // unused bytes
    const std::size_t entries = leaf.Word();
    leaf.Word();  // previous page
    page = leaf.Word();
    for (std::size_t i = 0; i < entries; ++i) entry(leaf);
  }
}

Text Decode(std::string_view bytes) { return AnsiDecoder::System().Decode(bytes); }

class Reader {
 public:
  explicit Reader(std::string_view bytes) : file_(bytes, "the file") {}

  HelpFile Read() {
    ReadDirectory();
    ReadSystem();
    ReadContext();
    ReadTopics();
    ReadKeywords();
    return std::move(help_);
  }

 private:
  std::string_view Part(const std::string& name) const {
    const auto found = parts_.find(name);
    return found == parts_.end() ? std::string_view() : found->second;
  }

  void ReadDirectory() {
    if (file_.size() < 16) Fail(HelpFileFault::Truncated, "shorter than its header");
    if (file_.Long() != kFileMagic) Fail(HelpFileFault::NotAHelpFile, "no WinHelp header");
    const std::uint32_t directory = file_.Long();
    file_.Long();  // the first free block
    const std::uint32_t size = file_.Long();
    if (size > file_.size()) Fail(HelpFileFault::Truncated, "shorter than its header says");
    if (size < file_.size()) Fail(HelpFileFault::Corrupt, "longer than its header says");
    const std::string_view names = InternalFile(directory, "the directory");
    ForEachLeafEntry(names, "the directory", [&](In& page) {
      const std::string name(page.Stringz());
      const std::uint32_t at = page.Long();
      parts_.emplace(name, InternalFile(at, name));
    });
    for (const char* name : {"|Phrases", "|PhrIndex", "|PhrImage"}) {
      if (parts_.count(name) != 0) Fail(HelpFileFault::Compressed, std::string("phrase compressed (") + name + ")");
    }
    for (const char* name : {"|SYSTEM", "|TOPIC"}) {
      if (parts_.count(name) == 0) Fail(HelpFileFault::Missing, std::string("no ") + name);
    }
  }

  std::string_view InternalFile(std::uint32_t at, const std::string& name) {
    In header = In(file_).Seek(at);
    const std::uint32_t reserved = header.Long();
    const std::uint32_t used = header.Long();
    header.Byte();  // flags
    if (used > reserved - std::min<std::uint32_t>(reserved, 9)) {
      Fail(HelpFileFault::Corrupt, name + ": more bytes used than reserved");
    }
    return In(header).Take(used);
  }

  void ReadSystem() {
    In system(Part("|SYSTEM"), "|SYSTEM");
    if (system.Word() != kSystemMagic) Fail(HelpFileFault::Corrupt, "|SYSTEM has no magic number");
    const std::uint16_t minor = system.Word();
    if (system.Word() != 1 || minor <= 16) Fail(HelpFileFault::NotAHelpFile, "not of WinHelp 3.1 or later");
    system.Long();  // the date
    if (system.Word() != 0) Fail(HelpFileFault::Compressed, "LZ77 compressed (|SYSTEM flags)");
    bool titled = false;
    while (!system.AtEnd()) {
      const std::uint16_t type = system.Word();
      In record(system.Take(system.Word()), "a |SYSTEM record");
      if (type == 1 && !titled) {
        help_.title = Decode(record.Stringz());
        titled = true;
      } else if (type == 3) {
        contents_ = record.Long();
      }
    }
  }

  void ReadContext() {
    const std::string_view context = Part("|CONTEXT");
    if (context.empty()) return;
    ForEachLeafEntry(context, "|CONTEXT", [&](In& page) {
      const std::uint32_t hash = page.Long();
      offset_of_hash_.emplace(hash, page.Long());
    });
  }

  // The topic whose text holds `offset`: the last one starting at or before
  // it (the first of several starting there); kNoTopic before the first.
  std::size_t TopicAt(std::uint32_t offset) const {
    const auto after = std::upper_bound(offsets_.begin(), offsets_.end(), offset);
    if (after == offsets_.begin()) return HelpSpan::kNoTopic;
    return static_cast<std::size_t>(std::lower_bound(offsets_.begin(), after, *(after - 1)) - offsets_.begin());
  }

  // The place of a TOPICPOS in the blocks' data laid end to end.
  static std::size_t DataPlace(std::uint32_t pos) {
    const std::size_t offset = (pos - kBlockHeader) & 0x3FFF;
    if (pos < kBlockHeader || offset > kBlockData) Fail(HelpFileFault::Corrupt, "|TOPIC: a TOPICPOS that cannot be");
    return ((pos - kBlockHeader) >> 14) * kBlockData + offset;
  }

  void ReadTopics() {
    const std::string_view blocks = Part("|TOPIC");
    std::string data;
    for (std::size_t at = 0; at < blocks.size(); at += kBlockSize) {
      if (blocks.size() - at < kBlockHeader) Fail(HelpFileFault::Truncated, "|TOPIC: a block header cut short");
      data += blocks.substr(at + kBlockHeader, kBlockData);
    }
    In text(data, "|TOPIC");
    std::size_t next_place = 0;  // where the link after the last one read may start
    std::uint32_t block = kNone;
    std::uint32_t characters = 0;
    std::size_t scroll_from = 0;
    bool ended_on_empty_header = false;
    // Each link lies after the one before, never on it: the walk ends, and
    // reads each byte once.
    for (std::uint32_t pos = kBlockHeader; pos != kNone && pos != 0;) {
      const std::size_t place = DataPlace(pos);
      if (place < next_place) Fail(HelpFileFault::Corrupt, "|TOPIC: a link leads back");
      text.Seek(place);
      const std::uint32_t size = text.Long();
      const std::uint32_t length2 = text.Long();
      text.Long();  // the previous link
      const std::uint32_t next = text.Long();
      const std::uint32_t length1 = text.Long();
      const std::uint8_t type = text.Byte();
      if (length1 < kLinkHeader || length1 > size || length2 > size - length1) {
        Fail(HelpFileFault::Corrupt, "|TOPIC: a link's sizes that cannot be");
      }
      const std::string_view data1 = text.Take(length1 - kLinkHeader);
      const std::string_view data2 = text.Take(size - length1).substr(0, length2);
      next_place = place + size;
      if (const auto link_block = static_cast<std::uint32_t>((pos - kBlockHeader) >> 14); link_block != block) {
        block = link_block;
        characters = 0;
        if (block >= 0x20000) Fail(HelpFileFault::Corrupt, "|TOPIC: a block past those a TOPICOFFSET names");
      }
      ended_on_empty_header = type == kTopicHeader && data2.empty();
      if (type == kTopicHeader) {
        In header(data1, "a topic header");
        header.Take(16);  // its size, the browse sequence and its number
        const std::uint32_t non_scrolling = header.Long();
        const std::uint32_t scrolling = header.Long();
        // The non-scrolling region (the topic's heading) is left out.
        scroll_from = non_scrolling != kNone && scrolling != kNone ? DataPlace(scrolling) : 0;
        offsets_.push_back(block * 0x8000 + characters);
        help_.topics.emplace_back();
        help_.topics.back().title = Decode(In(data2, "a title").Piece());
      } else if (type == kText || type == kTable) {
        if (help_.topics.empty()) Fail(HelpFileFault::Corrupt, "|TOPIC: text before the first topic");
        HelpTopic* topic = place >= scroll_from ? &help_.topics.back() : nullptr;
        characters += ReadParagraphs(type, data1, data2, topic);
        if (characters >= 0x8000) Fail(HelpFileFault::Corrupt, "|TOPIC: more characters in a block than it can hold");
      }
      pos = next;
    }
    // The chain ends on a topic header that holds nothing.
    if (ended_on_empty_header) {
      help_.topics.pop_back();
      offsets_.pop_back();
    }
    for (HelpTopic& topic : help_.topics) {
      for (HelpParagraph& paragraph : topic.paragraphs) {
        for (HelpSpan& span : paragraph.spans) {
          if (!span.is_jump || span.jump_to == HelpSpan::kNoTopic) continue;
          const auto found = offset_of_hash_.find(jump_hashes_[span.jump_to]);
          span.jump_to = found == offset_of_hash_.end() ? HelpSpan::kNoTopic : TopicAt(found->second);
        }
      }
    }
    const std::size_t contents = TopicAt(contents_);
    help_.contents_topic = contents == HelpSpan::kNoTopic ? 0 : contents;
  }

  // The paragraphs of a text or table record, added to `topic` unless
  // null; returns the record's character count. Its strings, in LinkData2,
  // alternate with the formatting commands in LinkData1. Until the topics
  // are known, a jump in this file holds the place of its target's hash in
  // jump_hashes_.
  std::uint32_t ReadParagraphs(std::uint8_t type, std::string_view data1, std::string_view data2, HelpTopic* topic) {
    In format(data1, "a paragraph record");
    In strings(data2, "a paragraph's text");
    format.CompressedSignedLong();  // the size of what follows
    const std::uint32_t characters = format.CompressedWord();
    if (type == kTable) {
      const std::size_t columns = format.Byte();
      const std::uint8_t kind = format.Byte();
      format.Take((kind == 0 || kind == 2 ? 2 : 0) + 4 * columns);
    }
    HelpParagraph paragraph;
    bool in_jump = false;
    const auto add_text = [&](const Text& text) {
      if (text.empty()) return;
      if (paragraph.spans.empty() || (paragraph.spans.back().is_jump && !in_jump)) paragraph.spans.emplace_back();
      paragraph.spans.back().text += text;
    };
    const auto end_paragraph = [&] {
      if (topic != nullptr) topic->paragraphs.push_back(std::move(paragraph));
      paragraph = HelpParagraph();
      in_jump = false;
    };
    const auto start_jump = [&](std::uint32_t hash, bool in_this_file) {
      paragraph.spans.emplace_back();
      paragraph.spans.back().is_jump = true;
      if (in_this_file) {
        paragraph.spans.back().jump_to = jump_hashes_.size();
        jump_hashes_.push_back(hash);
      }
      in_jump = true;
    };
    while (true) {
      if (type == kTable) {
        if (static_cast<std::int16_t>(format.Word()) == -1) break;  // the column, -1 after the last
        format.Take(3);
      }
      ReadParagraphInfo(format);
      for (std::uint8_t command = 0; command != 0xFF;) {
        add_text(Decode(strings.Piece()));
        switch (command = format.Byte()) {
          case 0xFF: break;
          case 0x20: format.Take(4); break;  // {vfld}
          case 0x21:                         // {dtype}
          case 0x80: format.Take(2); break;  // a font
          case 0x81: add_text(u"\r\n"); break;
          case 0x82: end_paragraph(); break;
          case 0x83: add_text(u"\t"); break;
          case 0x86:
          case 0x87:
          case 0x88: {  // a picture or an embedded window
            const std::uint8_t kind = format.Byte();
            const std::int64_t size = format.CompressedSignedLong();
            if (kind == 0x22) format.CompressedWord();  // its hotspots
            if (size < 0) Fail(HelpFileFault::Corrupt, "a picture's size that cannot be");
            format.Take(static_cast<std::size_t>(size));
            break;
          }
          case 0x89: in_jump = false; break;
          case 0x8B: add_text(u"\u00A0"); break;
          case 0x8C: break;  // a non-breaking hyphen: the hyphen is in the text
          case 0xC8:
          case 0xCC: format.Take(format.Word()); break;  // a macro hotspot
          case 0xE0:
          case 0xE1:
          case 0xE2:
          case 0xE3:
          case 0xE6:
          case 0xE7: start_jump(format.Long(), true); break;
          case 0xEA:
          case 0xEB:
          case 0xEE:
          case 0xEF: {  // into a window or another file
            In target(format.Take(format.Word()), "a jump");
            const std::uint8_t kind = target.Byte();
            start_jump(target.Long(), kind == 0 || kind == 1);
            break;
          }
          default: Fail(HelpFileFault::Corrupt, "a formatting command that cannot be");
        }
      }
      if (!paragraph.spans.empty()) end_paragraph();
      if (type != kTable) break;
    }
    return characters;
  }

  static void ReadParagraphInfo(In& format) {
    format.Take(4);
    const std::uint16_t bits = format.Word();
    if (bits & 0x0001) format.CompressedSignedLong();
    for (std::uint16_t bit = 0x0002; bit <= 0x0040; bit = static_cast<std::uint16_t>(bit << 1)) {
      if (bits & bit) format.CompressedSignedShort();  // spacing and indents
    }
    if (bits & 0x0100) format.Take(3);  // borders
    if (bits & 0x0200) {
      for (std::int64_t tabs = format.CompressedSignedShort(); tabs > 0; --tabs) {
        if (format.CompressedWord() & 0x4000) format.CompressedWord();
      }
    }
  }

  void ReadKeywords() {
    const std::string_view tree = Part("|KWBTREE");
    if (tree.empty()) return;
    In data(Part("|KWDATA"), "|KWDATA");
    // Each keyword has topics of its own in |KWDATA: no more are read than
    // it holds.
    std::size_t left = data.size() / 4;
    ForEachLeafEntry(tree, "|KWBTREE", [&](In& page) {
      const std::string_view keyword = page.Stringz();
      const std::size_t count = page.Word();
      data.Seek(page.Long());
      if (count > left) Fail(HelpFileFault::Corrupt, "|KWBTREE: keywords sharing their topics in |KWDATA");
      left -= count;
      std::set<std::size_t> topics;
      for (std::size_t i = 0; i < count; ++i) {
        const std::size_t topic = TopicAt(data.Long());
        if (topic != HelpSpan::kNoTopic && topics.insert(topic).second) {
          help_.topics[topic].keywords.push_back(Decode(keyword));
        }
      }
    });
  }

  In file_;
  std::map<std::string, std::string_view> parts_;
  std::map<std::uint32_t, std::uint32_t> offset_of_hash_;
  std::uint32_t contents_ = 0;
  std::vector<std::uint32_t> offsets_;  // of the topics, in order
  std::vector<std::uint32_t> jump_hashes_;
  HelpFile help_;
};

}  // namespace

Text HelpParagraph::PlainText() const {
  Text text;
  for (const HelpSpan& span : spans) text += span.text;
  return text;
}

Text HelpTopic::PlainText() const {
  Text text;
  for (const HelpParagraph& paragraph : paragraphs) {
    if (&paragraph != &paragraphs.front()) text += u"\r\n";
    text += paragraph.PlainText();
  }
  return text;
}

HelpFile ReadHelpFile(std::string_view bytes) { return Reader(bytes).Read(); }

}  // namespace tavik
