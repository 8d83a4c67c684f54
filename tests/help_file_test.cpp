// The help file: what tools/make_help.py writes, read back by the reader
// (past the first topic blocks, an index of two levels), a file of
// Halibut's, and the files the reader refuses.
#include "app/help_file.h"
#include "app/help_pages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "support/test_support.h"

namespace tavik {
namespace {

using test::ReadFile;
using test::Sjis;
using test::U;
using test::Utf8;

std::string HelpBytes(const char* name) {
  const std::optional<std::string> bytes = ReadFile(U(TAVIK_HELP_TEST_DIR) + U(name));
  EXPECT_TRUE(bytes.has_value()) << name;
  return bytes.value_or("");
}

// A topic as the markup gives it: paragraphs of text with "[[context|text]]"
// for a jump.
struct SourceTopic {
  std::string context, title;
  std::vector<std::string> keywords, paragraphs;
};

std::vector<SourceTopic> ReadSource(const std::string& utf8) {
  std::vector<SourceTopic> topics;
  std::istringstream lines(utf8);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] == '#' || line.rfind("@file ", 0) == 0) continue;
    if (line.rfind("@topic ", 0) == 0) {
      const std::size_t space = line.find(' ', 7);
      topics.push_back({line.substr(7, space - 7), line.substr(space + 1), {}, {}});
    } else if (line.rfind("@keywords ", 0) == 0) {
      std::istringstream keywords(line.substr(10));
      for (std::string keyword; std::getline(keywords, keyword, ';');) {
        topics.back().keywords.push_back(keyword.substr(keyword.find_first_not_of(' ')));
      }
    } else {
      topics.back().paragraphs.push_back(line);
    }
  }
  return topics;
}

// A paragraph in the same form, the jump's target as its topic's context.
std::string Marked(const HelpParagraph& paragraph, const std::vector<SourceTopic>& topics) {
  std::string text;
  for (const HelpSpan& span : paragraph.spans) {
    if (!span.is_jump) {
      text += Utf8(span.text);
    } else {
      const std::string target = span.jump_to < topics.size() ? topics[span.jump_to].context : "?";
      text += "[[" + target + "|" + Utf8(span.text) + "]]";
    }
  }
  return text;
}

std::vector<std::size_t> Jumps(const HelpTopic& topic) {
  std::vector<std::size_t> jumps;
  for (const HelpParagraph& paragraph : topic.paragraphs) {
    for (const HelpSpan& span : paragraph.spans) {
      if (span.is_jump) jumps.push_back(span.jump_to);
    }
  }
  return jumps;
}

std::vector<std::string> Keywords(const HelpTopic& topic) {
  std::vector<std::string> keywords;
  for (const Text& keyword : topic.keywords) keywords.push_back(Utf8(keyword));
  return keywords;
}

std::uint32_t Long(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 4; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

// The directory entry of an internal file (the writer's directory has one
// page), and the internal file's first byte after its header.
std::size_t Entry(const std::string& hlp, const std::string& name) { return hlp.find(name + '\0', Long(hlp, 4)); }
std::size_t Content(const std::string& hlp, const std::string& name) {
  return Long(hlp, Entry(hlp, name) + name.size() + 1) + 9;
}

TEST(HelpFile, ReadsBackEveryTopicTheWriterWrote) {
  const std::string hlp = HelpBytes("/test/tavikfm.hlp");
  const HelpFile help = ReadHelpFile(hlp);
  EXPECT_GT(Content(hlp, "|TTLBTREE") - Content(hlp, "|TOPIC"), 2u * 4096) << "the text goes on past two blocks";
  std::vector<SourceTopic> source = ReadSource(*ReadFile(U(TAVIK_HELP_TEST_SOURCE)));
  std::string contents = ":Base tavikfm.hlp\r\n:Title ヘルプのテスト Help test\r\n";
  for (const SourceTopic& topic : source) contents += "1 " + topic.title + "=" + topic.context + "\r\n";
  EXPECT_EQ(HelpBytes("/test/tavikfm.cnt"), Sjis(contents.c_str()));
  EXPECT_EQ(Utf8(help.title), "ヘルプのテスト Help test");
  EXPECT_EQ(help.contents_topic, 0u);
  ASSERT_EQ(help.topics.size(), source.size());
  for (std::size_t i = 0; i < source.size(); ++i) {
    const HelpTopic& topic = help.topics[i];
    SCOPED_TRACE(source[i].context);
    EXPECT_EQ(Utf8(topic.title), source[i].title);
    std::vector<std::string> paragraphs, keywords = Keywords(topic);
    for (const HelpParagraph& paragraph : topic.paragraphs) paragraphs.push_back(Marked(paragraph, source));
    EXPECT_EQ(paragraphs, source[i].paragraphs);
    std::sort(keywords.begin(), keywords.end());
    std::sort(source[i].keywords.begin(), source[i].keywords.end());
    EXPECT_EQ(keywords, source[i].keywords);
  }
}

// A file nobody here wrote: Halibut's, from tests/data/halibut-sample.but.
TEST(HelpFile, ReadsHalibutsFile) {
  const HelpFile help = ReadHelpFile(HelpBytes("/halibut.hlp"));
  EXPECT_EQ(Utf8(help.title), "Halibut Sample");
  struct Row {
    const char* title;
    std::vector<std::string> keywords;
    std::vector<std::size_t> jumps;
  };
  const Row rows[] = {
      {"Contents", {}, {1, 2}},
      {"Chapter 1: Introduction", {"sample"}, {2, 3}},
      {"Chapter 2: Using the sample", {"sample", "usage"}, {3}},
      {"Section 2.1: Details", {"detail"}, {1}},
  };
  ASSERT_EQ(help.topics.size(), std::size(rows));
  std::string text;
  for (std::size_t i = 0; i < help.topics.size(); ++i) {
    const HelpTopic& topic = help.topics[i];
    EXPECT_EQ(Utf8(topic.title), rows[i].title);
    EXPECT_EQ(Keywords(topic), rows[i].keywords) << rows[i].title;
    EXPECT_EQ(Jumps(topic), rows[i].jumps) << rows[i].title;
    text += Utf8(topic.PlainText()) + "\n";
  }
  // Running text, its lines joined, and the code lines as paragraphs of their own.
  EXPECT_NE(text.find("Usage is explained here in plain words. The text is deliberately long"), std::string::npos);
  EXPECT_NE(text.find("\r\nfirst line of code\r\nsecond line of code\r\n"), std::string::npos);
}

// What the program's help window shows of a topic: its paragraphs apart by
// an empty line, and each topic its jumps lead to once, in their order,
// without the topic itself and without a jump that leads nowhere.
TEST(HelpPage, ListsEachOtherTopicItsJumpsLeadToOnce) {
  const auto jump = [](const char16_t* text, std::size_t to) { return HelpSpan{text, to, true}; };
  HelpFile file;
  file.topics = {{u"目次", {{{HelpSpan{u"a"}, jump(u"x", 2)}}, {{jump(u"y", 1), jump(u"self", 0)}}}, {}},
                 {u"One", {{{jump(u"back", 0), jump(u"nowhere", 3), jump(u"again", 2)}}}, {}},
                 {u"Two", {}, {}}};
  const HelpPage page = PageOf(file, 0);
  EXPECT_EQ(Utf8(page.text), "ax\r\n\r\nyself");
  ASSERT_EQ(page.links.size(), 2u);
  EXPECT_EQ(Utf8(page.links[0].title) + " " + Utf8(page.links[1].title), "Two One");
  EXPECT_EQ(page.links[0].topic + page.links[1].topic * 10, 12u);
}

void PutLong(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + static_cast<std::size_t>(i)] = static_cast<char>(value >> (8 * i));
}
void PutWord(std::string& bytes, std::size_t at, std::uint16_t value) {
  bytes[at] = static_cast<char>(value);
  bytes[at + 1] = static_cast<char>(value >> 8);
}
// The first topic's heading: the second link in |TOPIC.
std::size_t Heading(const std::string& hlp) {
  return Content(hlp, "|TOPIC") + 12 + Long(hlp, Content(hlp, "|TOPIC") + 12);
}

// |SYSTEM names the contents topic by a place in its text.
TEST(HelpFile, TakesItsContentsTopicFromItsSystemRecord) {
  std::string hlp = HelpBytes("/test/tavikfm.hlp");
  PutLong(hlp, hlp.find(std::string("\3\0\4\0", 4), Content(hlp, "|SYSTEM")) + 4, 0x8000);
  EXPECT_EQ(ReadHelpFile(hlp).contents_topic, 2u) << "the topic going on where the second block starts";
}

TEST(HelpFile, RefusesAFileItCannotReadNamingTheFault) {
  using F = HelpFileFault;
  const struct {
    const char* name;
    std::function<void(std::string&)> change;
    HelpFileFault fault;
  } kRows[] = {
      {"cut inside the header", [](std::string& b) { b.resize(10); }, F::Truncated},
      {"a bad magic", [](std::string& b) { b[0] = 'M'; }, F::NotAHelpFile},
      {"a part that is no B+ tree", [](std::string& b) { b[Content(b, "|CONTEXT")] = 0; }, F::Corrupt},
      {"a B+ tree page out of range", [](std::string& b) { PutWord(b, Content(b, "|CONTEXT") + 26, 1); }, F::Corrupt},
      {"a cyclic B+ tree page link", [](std::string& b) { PutWord(b, Content(b, "|CONTEXT") + 38 + 6, 0); },
       F::Corrupt},
      {"a topic link leading back", [](std::string& b) { PutLong(b, Content(b, "|TOPIC") + 24, 12); }, F::Corrupt},
      {"a scrolling region past its block's data",
       [](std::string& b) { PutLong(b, Content(b, "|TOPIC") + 53, 12 + 4084); }, F::Corrupt},
      {"no topic", [](std::string& b) { PutLong(b, Content(b, "|TOPIC") + 24, 0xFFFFFFFF); }, F::Missing},
      {"text before the first topic", [](std::string& b) { b[Content(b, "|TOPIC") + 32] = 0x20; }, F::Corrupt},
      {"a table", [](std::string& b) { b[Heading(b) + 20] = 0x23; }, F::Unsupported},
      {"a paragraph never ended", [](std::string& b) { b[Heading(b) + Long(b, Heading(b) + 16) - 2] = '\x89'; },
       F::Unsupported},
      {"a keyword's topics elsewhere in |KWDATA",
       [](std::string& b) { PutLong(b, b.find('\0', Content(b, "|KWBTREE") + 46) + 3, 4); }, F::Corrupt},
      {"the LZ77 flag", [](std::string& b) { PutWord(b, Content(b, "|SYSTEM") + 10, 4); }, F::Compressed},
      {"a phrase table", [](std::string& b) { b.replace(Entry(b, "|CTXOMAP"), 8, "|Phrases"); }, F::Compressed},
      {"no |TOPIC", [](std::string& b) { b.replace(Entry(b, "|TOPIC"), 6, "|TOPIX"); }, F::Missing},
  };
  for (const auto& row : kRows) {
    std::string hlp = HelpBytes("/test/tavikfm.hlp");
    row.change(hlp);
    try {
      ReadHelpFile(hlp);
      ADD_FAILURE() << row.name << ": read";
    } catch (const HelpFileError& e) {
      EXPECT_EQ(e.fault(), row.fault) << row.name << ": " << e.what();
    }
  }
}

#ifndef _WIN32
// A character the help file cannot hold stops the build, named by its line and topic.
TEST(HelpFile, WriterFailsTheBuildNamingTheLine) {
  test::TempDir dir;
  test::WriteFile(dir / u"help.txt", "@file T\n@topic a A\n[[b|x]]\n@topic b B\n\u301c [[a|y]]\n");
  const std::string command = std::string(TAVIK_PYTHON " " TAVIK_HELP_WRITER " ") + Utf8(dir.path()) + "/help.txt " +
                              Utf8(dir.path()) + "/out 2>" + Utf8(dir.path()) + "/errors";
  EXPECT_NE(std::system(command.c_str()), 0);
  const std::string errors = ReadFile(dir / u"errors").value_or("");
  EXPECT_NE(errors.find("help.txt:5: topic b: character U+301C"), std::string::npos) << errors;
  EXPECT_FALSE(test::PathExists(dir / u"out"));
}

TEST(HelpFile, WriterGivesTheSameBytesEveryTime) {
  test::TempDir dir;
  const std::string command =
      std::string(TAVIK_PYTHON " " TAVIK_HELP_WRITER " " TAVIK_HELP_TEST_SOURCE " ") + Utf8(dir.path());
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadFile(dir / u"tavikfm.hlp"), HelpBytes("/test/tavikfm.hlp"));
  EXPECT_EQ(ReadFile(dir / u"tavikfm.cnt"), HelpBytes("/test/tavikfm.cnt"));
}
#endif

}  // namespace
}  // namespace tavik
