// frmAbout's texts: caption from the title, version line from the
// version numbers.
#include <gtest/gtest.h>

#include <string>

#include "dialogs/about_box.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::Utf8;

struct VersionCase {
  ProgramVersion version;
  const char* line;
};

class AboutVersionLineTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(AboutVersionLineTest, ReadsVersionThenUnpaddedNumbers) {
  EXPECT_EQ(Utf8(AboutVersionLine(GetParam().version)), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    About, AboutVersionLineTest,
    ::testing::Values(VersionCase{{1, 0, 0}, "ﾊﾞｰｼﾞｮﾝ 1.0.0"}, VersionCase{{2, 10, 3}, "ﾊﾞｰｼﾞｮﾝ 2.10.3"},
                      VersionCase{{0, 0, 0}, "ﾊﾞｰｼﾞｮﾝ 0.0.0"},
                      VersionCase{{65535, 65535, 65535}, "ﾊﾞｰｼﾞｮﾝ 65535.65535.65535"}),
    [](const auto& row) { return "Case" + std::to_string(row.index); });

TEST(AboutCaptionTest, IsTheTitleFollowedByVersionInformation) {
  EXPECT_EQ(Utf8(AboutCaption(u"TavikFM")), "TavikFMのﾊﾞｰｼﾞｮﾝ情報");
}

}  // namespace
}  // namespace tavik
