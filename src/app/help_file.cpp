#include "app/help_file.h"

#include <algorithm>
#include <map>
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

[[noreturn]] void Fail(HelpFileFault fault, const std::string& what) {
  throw HelpFileError(fault, "help file: " + what);
}

// Bytes read in order, never past their end.
class In {
 public:
  In(std::string_view bytes, std::string part) : bytes_(bytes), part_(std::move(part)) {}

  std::size_t pos() const { return pos_; }
  std::size_t size() const { return bytes_.size(); }
  bool AtEnd() const { return pos_ == bytes_.size(); }

  In& Seek(std::size_t at) {
    pos_ = 0;
    Take(at);
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
  // A string ended by NUL; the NUL is read, not returned.
  std::string_view Stringz() {
    const std::string_view s = Take(bytes_.find('\0', pos_) - pos_);
    Take(1);
    return s;
  }
  // The compressed numbers of paragraph records: the lowest bit of the
  // first byte tells the long form (twice the size), the value is halved.
  // Of the signed ones the reader needs no value.
  std::uint16_t CompressedWord() { return static_cast<std::uint16_t>((Peek() & 1 ? Word() : Byte()) >> 1); }
  void SkipCompressedShort() { static_cast<void>(Peek() & 1 ? Word() : Byte()); }
  void SkipCompressedLong() { static_cast<void>(Peek() & 1 ? Long() : Word()); }

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
    ForEachLeafEntry(parts_["|CONTEXT"], "|CONTEXT", [&](In& page) {
      const std::uint32_t hash = page.Long();
      offset_of_hash_.emplace(hash, page.Long());
    });
    ReadTopics();
    ReadKeywords();
    return std::move(help_);
  }

 private:
  void ReadDirectory() {
    if (file_.Long() != kFileMagic) Fail(HelpFileFault::NotAHelpFile, "no WinHelp header");
    const std::uint32_t directory = file_.Long();
    file_.Long();  // the first free block
    if (file_.Long() > file_.size()) Fail(HelpFileFault::Truncated, "shorter than its header says");
    ForEachLeafEntry(InternalFile(directory), "the directory", [&](In& page) {
      const std::string name(page.Stringz());
      parts_.emplace(name, InternalFile(page.Long()));
    });
    for (const char* name : {"|Phrases", "|PhrIndex", "|PhrImage"}) {
      if (parts_.count(name) != 0) Fail(HelpFileFault::Compressed, std::string("phrase compressed (") + name + ")");
    }
    for (const char* name : {"|SYSTEM", "|TOPIC", "|CONTEXT", "|KWBTREE", "|KWDATA"}) {
      if (parts_.count(name) == 0) Fail(HelpFileFault::Missing, std::string("no ") + name);
    }
  }

  std::string_view InternalFile(std::uint32_t at) const {
    In header = In(file_).Seek(at);
    header.Long();  // the space reserved for it
    const std::uint32_t used = header.Long();
    header.Byte();  // flags
    return header.Take(used);
  }

  void ReadSystem() {
    In system(parts_["|SYSTEM"], "|SYSTEM");
    if (system.Word() != kSystemMagic) Fail(HelpFileFault::Corrupt, "|SYSTEM has no magic number");
    const std::uint16_t minor = system.Word();
    if (system.Word() != 1 || minor != 33) Fail(HelpFileFault::NotAHelpFile, "not of WinHelp 4.0");
    system.Long();  // the date
    if (system.Word() != 0) Fail(HelpFileFault::Compressed, "LZ77 compressed (|SYSTEM flags)");
    while (!system.AtEnd()) {
      const std::uint16_t type = system.Word();
      In record(system.Take(system.Word()), "a |SYSTEM record");
      if (type == 1) help_.title = Decode(record.Stringz());
      if (type == 3) contents_ = record.Long();
    }
  }

  // The topic whose text holds the TOPICOFFSET `offset`: the last one
  // starting at or before it (the first topic starts at 0).
  std::size_t TopicAt(std::uint32_t offset) const {
    const auto after = std::upper_bound(starts_.begin(), starts_.end(), std::make_pair(offset >> 15, offset & 0x7FFF));
    return static_cast<std::size_t>(after - starts_.begin()) - 1;
  }

  // The place of a TOPICPOS in the blocks' data laid end to end.
  static std::size_t DataPlace(std::uint32_t pos) {
    const std::size_t offset = (pos - kBlockHeader) & 0x3FFF;
    if (pos < kBlockHeader || offset >= kBlockData) Fail(HelpFileFault::Corrupt, "|TOPIC: a TOPICPOS that cannot be");
    return ((pos - kBlockHeader) >> 14) * kBlockData + offset;
  }

  void ReadTopics() {
    std::string data;
    for (std::string_view rest = parts_["|TOPIC"]; !rest.empty();
         rest.remove_prefix(std::min(rest.size(), kBlockSize))) {
      data += rest.substr(std::min(rest.size(), kBlockHeader), kBlockData);
    }
    In text(data, "|TOPIC");
    std::uint32_t block = 0;
    std::uint32_t characters = 0;
    std::size_t scroll_from = 0;
    // Each link starts where the one before ends: the walk reads each byte
    // once, and ends. The last link holds nothing.
    for (std::uint32_t pos = kBlockHeader;;) {
      const std::size_t place = text.pos();
      if (DataPlace(pos) != place) Fail(HelpFileFault::Corrupt, "|TOPIC: a link not where the one before ends");
      const std::uint32_t size = text.Long();
      text.Long();  // the length of the text: without phrases, all that follows the formatting
      text.Long();  // the link before
      pos = text.Long();
      if (pos == kNone || pos == 0) break;
      const std::uint32_t length1 = text.Long();
      const std::uint8_t type = text.Byte();
      const std::string_view data1 = text.Take(length1 - kLinkHeader);
      const std::string_view data2 = text.Take(size - length1);
      if (const auto link_block = static_cast<std::uint32_t>(place / kBlockData); link_block != block) {
        block = link_block;
        characters = 0;
      }
      if (type == kTopicHeader) {
        In header(data1, "a topic header");
        header.Take(20);  // its size, the browse sequence, its number and its non-scrolling region (its heading)
        const std::uint32_t scrolling = header.Long();
        scroll_from = scrolling == kNone ? data.size() : DataPlace(scrolling);
        starts_.emplace_back(block, characters);
        help_.topics.emplace_back();
        help_.topics.back().title = Decode(data2.substr(0, data2.find('\0')));
      } else {
        if (type != kText) Fail(HelpFileFault::Unsupported, "|TOPIC: a table, or a record of another kind");
        if (help_.topics.empty()) Fail(HelpFileFault::Corrupt, "|TOPIC: text before the first topic");
        characters += ReadParagraphs(data1, data2, place >= scroll_from ? &help_.topics.back() : nullptr);
      }
    }
    if (help_.topics.empty()) Fail(HelpFileFault::Missing, "no topic");
    for (HelpTopic& topic : help_.topics) {
      for (HelpParagraph& paragraph : topic.paragraphs) {
        for (HelpSpan& span : paragraph.spans) {
          if (!span.is_jump) continue;
          const auto found = offset_of_hash_.find(static_cast<std::uint32_t>(span.jump_to));
          span.jump_to = found == offset_of_hash_.end() ? HelpSpan::kNoTopic : TopicAt(found->second);
        }
      }
    }
    help_.contents_topic = TopicAt(contents_);
  }

  // The paragraphs of a text record, added to `topic` unless null; returns
  // the record's character count. Its strings, in LinkData2, alternate with
  // the formatting commands in LinkData1; of those, the reader reads what
  // tools/make_help.py and Halibut write. Until the topics are known, a
  // jump holds its target's hash.
  static std::uint32_t ReadParagraphs(std::string_view data1, std::string_view data2, HelpTopic* topic) {
    In format(data1, "a paragraph record");
    In strings(data2, "a paragraph's text");
    format.SkipCompressedLong();  // the size of what follows
    const std::uint32_t characters = format.CompressedWord();
    format.Take(4);
    const std::uint16_t bits = format.Word();
    if (bits & 0x0301) Fail(HelpFileFault::Unsupported, "a paragraph with tab stops, a border or an unknown setting");
    // A compressed short for each spacing and indent that follows: a bit of
    // each is set.
    for (auto set = static_cast<std::uint16_t>(bits & 0x007E); set != 0;
         set = static_cast<std::uint16_t>(set & (set - 1))) {
      format.SkipCompressedShort();
    }
    HelpParagraph paragraph;
    bool in_jump = false;
    for (std::uint8_t command = 0; command != 0xFF;) {
      if (const Text text = Decode(strings.Stringz()); !text.empty()) {
        if (paragraph.spans.empty() || (paragraph.spans.back().is_jump && !in_jump)) paragraph.spans.emplace_back();
        paragraph.spans.back().text += text;
      }
      switch (command = format.Byte()) {
        case 0xFF: break;
        case 0x80: format.Take(2); break;  // a font
        case 0x82:                         // the end of a paragraph
          if (topic != nullptr) topic->paragraphs.push_back(std::move(paragraph));
          paragraph = HelpParagraph();
          break;
        case 0xE3:  // a jump
          paragraph.spans.push_back(HelpSpan{{}, format.Long(), true});
          in_jump = true;
          break;
        case 0x89: in_jump = false; break;  // the end of its text
        default: Fail(HelpFileFault::Unsupported, "a formatting command this reader does not read");
      }
    }
    if (!paragraph.spans.empty()) Fail(HelpFileFault::Unsupported, "text after the last paragraph of a record");
    return characters;
  }

  void ReadKeywords() {
    In data(parts_["|KWDATA"], "|KWDATA");
    ForEachLeafEntry(parts_["|KWBTREE"], "|KWBTREE", [&](In& page) {
      const Text keyword = Decode(page.Stringz());
      const std::size_t count = page.Word();
      // Each keyword's topics follow the one before's: none is read twice.
      if (page.Long() != data.pos()) Fail(HelpFileFault::Corrupt, "|KWBTREE: topics not after the keyword before's");
      for (std::size_t i = 0; i < count; ++i) help_.topics[TopicAt(data.Long())].keywords.push_back(keyword);
    });
  }

  In file_;
  std::map<std::string, std::string_view> parts_;
  std::map<std::uint32_t, std::uint32_t> offset_of_hash_;
  std::uint32_t contents_ = 0;
  std::vector<std::pair<std::uint32_t, std::uint32_t>> starts_;  // of the topics: their block, characters before
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
