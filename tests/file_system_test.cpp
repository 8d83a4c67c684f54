// The platform's file system behind the intake's contract: Win32 under
// Wine, POSIX natively; and the Windows-like wildcard match.
#include <gtest/gtest.h>

#include <functional>

#include "intake/file_system.h"
#include "support/test_support.h"

#ifdef _WIN32
#include <windows.h>

#include "common/wide_text_win32.h"
#else
#include <fcntl.h>
#include <unistd.h>

#include "common/native_path_posix.h"
#endif

namespace tavik {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

struct WildcardRow { const char* name; TextView pattern; TextView file; bool match; };

class Wildcards : public ::testing::TestWithParam<WildcardRow> {};

TEST_P(Wildcards, MatchAsOnWindows) { EXPECT_EQ(WildcardMatch(GetParam().pattern, GetParam().file), GetParam().match); }

INSTANTIATE_TEST_SUITE_P(
    FileSystem, Wildcards,
    ::testing::Values(WildcardRow{"a star matches any name before the extension", u"*.fmr", u"0042.fmr", true},
                      WildcardRow{"a star matches an empty run", u"*.fmr", u".fmr", true},
                      WildcardRow{"letters match without regard to case", u"*.fmr", u"A.FmR", true},
                      WildcardRow{"full width letters match without regard to case", u"\uFF41\uFF5A*", u"\uFF21\uFF3Ax", true},
                      WildcardRow{"a longer extension does not match", u"*.fmr", u"x.fmrx", false},
                      WildcardRow{"another extension does not match", u"*.fmr", u"x.req", false},
                      WildcardRow{"a question mark takes one character", u"a?c", u"abc", true},
                      WildcardRow{"a question mark needs a character", u"a?c", u"ac", false},
                      WildcardRow{"a star backtracks", u"*a*b", u"xaybzb", true},
                      WildcardRow{"a plain name matches itself", u"x.bak", u"X.BAK", true},
                      WildcardRow{"stars at the end match nothing more", u"x**", u"x", true},
                      WildcardRow{"Japanese names match", u"*.req", u"山田.req", true},
                      WildcardRow{"a pattern ends where its view ends", TextView(u"x*", 1), u"xy", false},
                      WildcardRow{"a pattern ends before a question mark outside it", TextView(u"x?", 1), u"xy", false},
                      WildcardRow{"a pattern ends before a star outside it", TextView(u"x*", 1), u"x", true}),
    test::RowName<WildcardRow>);

class PlatformFiles : public ::testing::Test {
 protected:
  FileSystem& fs = PlatformFileSystem();
  TempDir dir;
};

TEST_F(PlatformFiles, ListingGivesOrdinaryMatchingFilesSortedByName) {
  for (const char* name : {"b.fmr", "A.FMR", "c.req", "x.fmrx", "山田.fmr", ".hidden.fmr"}) {
    WriteFile(dir / test::U(name), "x");
  }
  test::MakeHidden(dir / u".hidden.fmr");
  test::MakeFolder(dir / u"folder.fmr");
  EXPECT_EQ(fs.List(dir.path(), u"*.fmr"), (std::vector<Text>{u"A.FMR", u"b.fmr", u"山田.fmr"}));
  EXPECT_EQ(fs.List(dir.path(), u"c.req"), std::vector<Text>{u"c.req"});
  EXPECT_TRUE(fs.List(dir / u"missing", u"*.fmr").empty());
}

TEST_F(PlatformFiles, RenamingNeverReplacesAndDeletingSparesReadOnlyFiles) {
  WriteFile(dir / u"a.fmr", "new");
  WriteFile(dir / u"a.bak", "old");
  EXPECT_FALSE(fs.Rename(dir / u"a.fmr", dir / u"a.bak"));
  EXPECT_EQ(ReadFile(dir / u"a.bak"), "old");
  EXPECT_TRUE(fs.Rename(dir / u"a.fmr", dir / u"a.bk2"));
  EXPECT_EQ(ReadFile(dir / u"a.bk2"), "new");
  EXPECT_FALSE(fs.Rename(dir / u"gone.fmr", dir / u"gone.bak"));
  test::MakeReadOnly(dir / u"a.bak");
  EXPECT_FALSE(fs.Delete(dir / u"a.bak"));
  EXPECT_TRUE(fs.Delete(dir / u"a.bk2"));
  EXPECT_FALSE(fs.Delete(dir / u"a.bk2"));
  EXPECT_FALSE(fs.Delete(dir.path()));
  EXPECT_TRUE(test::PathExists(dir / u"a.bak"));
}

TEST_F(PlatformFiles, ExistenceTellsFilesFromFolders) {
  WriteFile(dir / u"tavik.fp5", "");
  EXPECT_TRUE(fs.FileExists(dir / u"tavik.fp5"));
  EXPECT_FALSE(fs.FolderExists(dir / u"tavik.fp5"));
  EXPECT_TRUE(fs.FolderExists(dir.path()));
  EXPECT_FALSE(fs.FileExists(dir.path()));
  EXPECT_FALSE(fs.FileExists(dir / u"none"));
  EXPECT_FALSE(fs.FolderExists(dir / u"none"));
}

TEST_F(PlatformFiles, ReadingGivesTheWholeFileUpToTheLimit) {
  const std::string big(70000, 'x');  // more than one read buffer
  WriteFile(dir / u"a.fmr", big);
  std::string bytes = "stale";
  EXPECT_EQ(fs.ReadAll(dir / u"a.fmr", big.size(), bytes), ReadStatus::Ok);
  EXPECT_EQ(bytes, big);
  EXPECT_EQ(fs.ReadAll(dir / u"a.fmr", big.size() - 1, bytes), ReadStatus::TooLarge);
  EXPECT_EQ(bytes, "");
  EXPECT_EQ(fs.ReadAll(dir / u"none.fmr", 100, bytes), ReadStatus::Missing);
  EXPECT_EQ(fs.ReadAll(dir.path(), 100, bytes), ReadStatus::Failed);
}

// Holds a file open for writing, as the viewer does while it writes; the
// returned function lets it go.
std::function<void()> HoldOpenForWriting(const Text& path) {
#ifdef _WIN32
  HANDLE handle = CreateFileW(WideCStr(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  return [handle] { CloseHandle(handle); };
#else
  const int fd = open(NativePath(path).c_str(), O_WRONLY);
  return [fd] { close(fd); };
#endif
}

TEST_F(PlatformFiles, AFileHeldOpenForWritingIsRefusedUntilClosed) {
  WriteFile(dir / u"a.fmr", "Fun=xREGIST");
  const std::function<void()> close_writer = HoldOpenForWriting(dir / u"a.fmr");
  std::string bytes;
  EXPECT_EQ(fs.ReadAll(dir / u"a.fmr", 100, bytes), ReadStatus::Busy);
  close_writer();
  EXPECT_EQ(fs.ReadAll(dir / u"a.fmr", 100, bytes), ReadStatus::Ok);
  EXPECT_EQ(bytes, "Fun=xREGIST");
}

}  // namespace
}  // namespace tavik
