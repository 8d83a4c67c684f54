// The guide and the help text quote the program's own texts in 「…」, as the
// screen shows them: a changed caption or a wrong quote fails here, named by
// file, line and quote.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/app_controller.h"
#include "common/program_texts.h"
#include "dialogs/about_box.h"
#include "intake/intake_cycle.h"
#include "support/test_support.h"

namespace tavik {
namespace {

std::vector<std::string> Lines(const std::string& relative) {
  std::ifstream in(TAVIK_SOURCE_DIR "/" + relative);
  if (!in) ADD_FAILURE() << relative << " cannot be read";
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The texts between each `open` and the next `close` of a line, a backslash
// taking the character after it as it is; an unclosed one runs to the end.
std::vector<std::string> Between(const std::string& line, const std::string& open, const std::string& close) {
  std::vector<std::string> texts;
  for (std::size_t at = line.find(open); at != std::string::npos; at = line.find(open, at)) {
    texts.emplace_back();
    for (at += open.size(); at < line.size() && line.compare(at, close.size(), close) != 0; ++at) {
      texts.back() += line[line[at] == '\\' ? ++at : at];
    }
  }
  return texts;
}

std::set<std::string> ProgramTexts() {
  std::set<std::string> texts{test::Utf8(Text(kProgramTitle) + Text(kAlreadyRunningSuffix)),
                              test::Utf8(AboutCaption(kProgramTitle)),
                              test::Utf8(AboutVersionLine({TAVIK_TEST_VERSION}))};
  using Error = std::pair<int, TextView>;
  for (const auto& [number, description] :
       {Error{kTypeMismatch, kTypeMismatchText}, Error{kOverflow, kOverflowText}, Error{kOutOfMemory, kOutOfMemoryText},
        Error{kInvalidCall, kInvalidCallText}}) {
    texts.insert(test::Utf8(StartupErrorMessage(number, description)));
  }
  for (const char* file : {"common/program_texts.h", "settings/settings_store.h", "patientdb/patient_gateway.h",
                           "patientdb/statements.cpp", "intake/intake_cycle.cpp", "intake/exchange_file.h"}) {
    for (const std::string& line : Lines(std::string("src/") + file)) {
      for (const std::string& text : Between(line, "u\"", "\"")) {
        texts.insert(text.rfind('\\', 0) == 0 ? text.substr(1) : text);  // "\Filemk", appended to a folder
        std::string names = text;  // and the names in it: tables, columns, patterns
        for (char& c : names) c = std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' ? c : ' ';
        std::istringstream words(names);
        for (std::string word; words >> word;) texts.insert(word);
      }
    }
  }
  // The menus, "(&F)" shown as "(F)"; a path joins a menu and its item.
  std::string menu;
  for (const std::string& line : Lines("src/app/main_window.rc")) {
    const bool popup = line.find("POPUP \"") != std::string::npos;
    if (!popup && line.find("MENUITEM \"") == std::string::npos) continue;
    std::string caption = Between(line, "\"", "\"").front();
    if (caption.find('&') != std::string::npos) caption.erase(caption.find('&'), 1);
    texts.insert(caption);
    if (popup) menu = caption;
    if (!popup) texts.insert(std::string(menu).append(" → ").append(caption));
  }
  for (std::uint64_t limit : {kMaxPatientFileBytes, std::uint64_t{kMinTickInterval}, std::uint64_t{kMaxTickInterval}}) {
    std::string digits = std::to_string(limit);
    texts.insert(digits);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    texts.insert(digits);
  }
  // The help window shows the help file's title and its topics' titles.
  for (const std::string& line : Lines("docs/help-ja.txt")) {
    if (line.rfind("@file ", 0) == 0) texts.insert(line.substr(6));
    if (line.rfind("@topic ", 0) == 0) texts.insert(line.substr(line.find(' ', 7) + 1));
  }
  return texts;
}

struct DocumentRow {
  const char* name;
  const char* path;
};

class Document : public testing::TestWithParam<DocumentRow> {};

TEST_P(Document, QuotesOnlyTheProgramsOwnTexts) {
  static const std::set<std::string> texts = ProgramTexts();
  const std::vector<std::string> lines = Lines(GetParam().path);
  std::size_t quotes = 0;
  for (std::size_t number = 1; number <= lines.size(); ++number) {
    if (lines[number - 1].rfind('#', 0) == 0) continue;  // a comment of the help text, not shown
    const std::string where = std::string(GetParam().path) + ":" + std::to_string(number) + ": ";
    const std::vector<std::string> quoted = Between(lines[number - 1], "「", "」");
    EXPECT_EQ(Between(lines[number - 1], "」", "」").size(), quoted.size()) << where << "a 「 or 」 without its pair";
    for (const std::string& quote : quoted) {
      EXPECT_EQ(texts.count(quote), 1u) << where << "「" << quote << "」 is no text of the program";
    }
    quotes += quoted.size();
  }
  EXPECT_GT(quotes, 100u);
}

INSTANTIATE_TEST_SUITE_P(Docs, Document,
                         testing::Values(DocumentRow{"the administrators guide", "docs/guide-ja.txt"},
                                         DocumentRow{"the help text", "docs/help-ja.txt"}),
                         test::RowName<DocumentRow>);

}  // namespace
}  // namespace tavik
