// The intake cycle and the backup rotation on real temporary folders, with
// the SQLite3 ODBC driver behind "FileMaker5".
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "intake/ansi_decoder.h"
#include "intake/intake_cycle.h"
#include "patientdb/patient_gateway.h"
#include "support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavik {
namespace {

using test::QuerySql;
using test::Sjis;
using test::TempDir;
using test::TestDataSources;
using test::U;
using test::Utf8;
using test::WriteFile;

// The platform's file system with hooks for faults.
class HookedFileSystem : public FileSystem {
 public:
  std::function<void()> after_list;
  std::function<bool(const Text&)> fail_rename;

  std::vector<Text> List(const Text& folder, const Text& pattern) override {
    auto names = real().List(folder, pattern);
    if (after_list) after_list();
    return names;
  }
  ReadStatus ReadAll(const Text& path, std::string& bytes) override { return real().ReadAll(path, bytes); }
  bool Delete(const Text& path) override { return real().Delete(path); }
  bool Rename(const Text& from, const Text& to) override {
    if (fail_rename && fail_rename(from)) return false;
    return real().Rename(from, to);
  }
  bool FolderExists(const Text& path) override { return real().FolderExists(path); }
  bool FileExists(const Text& path) override { return real().FileExists(path); }

 private:
  static FileSystem& real() { return PlatformFileSystem(); }
};

std::string PatientFile(const char* chart, const char* name, const char* fun = "xREGIST") {
  std::string text = std::string("Fun=") + fun + "\r\nPID=\"" + chart + "\"\r\nPName=" + name +
                     "\r\nPKana=ﾔﾏﾀﾞ\r\nPAddr=\"東京都港区\"\r\nPTel=03-1111\r\n";
  return Sjis(text.c_str());
}

class Intake : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!TestDataSources().configured) GTEST_SKIP() << "no ODBC test configuration (TAVIK_TEST_ODBC)";
    test::ResetPatientTable(TestDataSources().sqlite);
  }

  PatientGateway& Gateway(Text data_source = TestDataSources().sqlite) {
    PatientGateway::Options options;
    options.data_source = std::move(data_source);
    gateway_ = std::make_unique<PatientGateway>(options);
    return *gateway_;
  }

  IntakeReport Tick(PatientGateway& gateway) {
    IntakeCycle cycle(fs_, gateway);
    return cycle.ProcessExchangeFiles(dir_.path());
  }
  IntakeReport Tick() { return Tick(gateway_ ? *gateway_ : Gateway()); }

  void Drop(const char* name, const std::string& bytes) { WriteFile(dir_ / U(name), bytes); }

  // Names in the folder, sorted, for comparing whole folder states.
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const Text& name : PlatformFileSystem().List(dir_.path(), u"*")) names.push_back(Utf8(name));
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& row : QuerySql(TestDataSources().sqlite, u"SELECT KrNo,KrName FROM tavik ORDER BY KrNo,KrName")) {
      names.push_back(Utf8(*row[0]) + ":" + Utf8(row[1].value_or(u"<null>")));
    }
    return names;
  }

  TempDir dir_;
  HookedFileSystem fs_;
  std::unique_ptr<PatientGateway> gateway_;
};

TEST_F(Intake, ANewPatientIsInsertedAndItsFileRenamed) {
  Drop("a.fmr", PatientFile("100", "山田 太郎"));
  const IntakeReport report = Tick();
  EXPECT_EQ(report.stored, 1u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"100:山田 太郎"}));
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bak"}));
  EXPECT_EQ(test::ReadFile(dir_ / u"a.bak"), PatientFile("100", "山田 太郎"));
}

TEST_F(Intake, AKnownPatientIsUpdated) {
  test::ExecSql(TestDataSources().sqlite, u"INSERT INTO tavik(KrNo,KrName,Memo) VALUES ('100','old','keep')");
  Drop("a.fmr", PatientFile("100", "新しい"));
  Tick();
  EXPECT_EQ(Names(), (std::vector<std::string>{"100:新しい"}));
  EXPECT_EQ(Utf8(*QuerySql(TestDataSources().sqlite, u"SELECT Memo FROM tavik")[0][0]), "keep");
}

TEST_F(Intake, AFileWithoutREGISTIsRenamedOnly) {
  Drop("a.fmr", PatientFile("100", "A", "xOTHER"));
  Drop("b.req", PatientFile("101", "B", "xOTHER"));
  const IntakeReport report = Tick();
  EXPECT_EQ(report.renamed_only, 2u);
  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bak", "b.bak"}));
}

TEST_F(Intake, AFileNeverInheritsTheFunctionCodeOrFieldsOfAnEarlierFile) {
  Drop("a.fmr", PatientFile("100", "A"));
  Drop("b.fmr", Sjis("PID=\"101\"\r\nPName=B\r\n"));  // no "Fun": not to be stored
  Drop("c.fmr", Sjis("Fun=xREGIST\r\nPID=\"102\"\r\nPName=C\r\n"));  // no address
  Tick();
  EXPECT_EQ(Names(), (std::vector<std::string>{"100:A", "102:C"}));
  const auto address = QuerySql(TestDataSources().sqlite, u"SELECT PAddr,PTel FROM tavik WHERE KrNo='102'");
  EXPECT_EQ(address[0][0], Text());
  EXPECT_EQ(address[0][1], Text());
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bak", "b.bak", "c.bak"}));
}

TEST_F(Intake, FmrFilesComeBeforeReqFilesAndOtherNamesAreIgnored) {
  Drop("b.fmr", PatientFile("1", "first"));
  Drop("a.req", PatientFile("1", "second"));
  Drop("c.txt", PatientFile("2", "never"));
  Drop("d.fmrx", PatientFile("3", "never"));
  Tick();
  EXPECT_EQ(Names(), (std::vector<std::string>{"1:second"}));
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bak", "b.bak", "c.txt", "d.fmrx"}));
}

TEST_F(Intake, UpperCaseExtensionsAreTakenAsOnWindows) {
  Drop("A.FMR", PatientFile("1", "upper"));
  Tick();
  EXPECT_EQ(Names(), (std::vector<std::string>{"1:upper"}));
  EXPECT_EQ(Files(), (std::vector<std::string>{"A.bak"}));
}

// The database unreachable for several ticks: nothing is lost, and once it
// works each patient is stored exactly once.
struct Outage {
  const char* name;
  Text (*data_source)();
};

class IntakeOutage : public Intake, public ::testing::WithParamInterface<Outage> {};

TEST_P(IntakeOutage, KeepsEveryFileUntilTheDatabaseWorksThenStoresEachOnce) {
  Drop("a.fmr", PatientFile("1", "A"));
  Drop("b.fmr", PatientFile("2", "B"));
  Drop("c.req", PatientFile("3", "C"));
  Drop("d.fmr", PatientFile("4", "D", "xOTHER"));
  PatientGateway& broken = Gateway(GetParam().data_source());
  for (int tick = 0; tick < 3; ++tick) {
    const IntakeReport report = Tick(broken);
    EXPECT_EQ(report.stored, 0u);
    EXPECT_EQ(report.left, 3u);
  }
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.fmr", "b.fmr", "c.req", "d.bak"}));
  const IntakeReport recovered = Tick(Gateway());
  EXPECT_EQ(recovered.stored, 3u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"1:A", "2:B", "3:C"}));
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bak", "b.bak", "c.bak", "d.bak"}));
  EXPECT_EQ(Tick().stored, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Intake, IntakeOutage,
    ::testing::Values(Outage{"DataSourceUndefined", [] { return Text(u"NoSuchDataSource"); }},
                      Outage{"DatabaseFileMissing", [] { return TestDataSources().sqlite_no_file; }},
                      Outage{"TableMissing", [] { return TestDataSources().sqlite_no_table; }}),
    [](const auto& row) { return std::string(row.param.name); });

TEST_F(Intake, AStoredFileReplacesAnOldBackupOfItsName) {
  Drop("a.bak", "old backup");
  Drop("a.fmr", PatientFile("1", "A"));
  Tick();
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bak"}));
  EXPECT_EQ(test::ReadFile(dir_ / u"a.bak"), PatientFile("1", "A"));
}

TEST_F(Intake, ANonStoringFileWaitsWhileItsBackupNameIsTaken) {
  Drop("a.bak", "old backup");
  Drop("a.fmr", PatientFile("1", "A", "xOTHER"));
  EXPECT_EQ(Tick().left, 1u);
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bak", "a.fmr"}));
  EXPECT_EQ(test::ReadFile(dir_ / u"a.bak"), "old backup");
  IntakeCycle(fs_, Gateway()).RotateBackups(dir_.path());
  Tick();
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.bak", "a.bk2"}));
}

TEST_F(Intake, AStoredFileThatCannotBeRenamedIsStoredAgainAsAnUpdate) {
  Drop("a.fmr", PatientFile("1", "A"));
  fs_.fail_rename = [](const Text&) { return true; };
  EXPECT_EQ(Tick().left, 1u);
  EXPECT_EQ(Tick().left, 1u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"1:A"}));  // updated, not duplicated
  fs_.fail_rename = nullptr;
  EXPECT_EQ(Tick().stored, 1u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"1:A"}));
}

TEST_F(Intake, AFileThatVanishesAfterTheListingIsSkipped) {
  Drop("a.fmr", PatientFile("1", "A"));
  Drop("b.fmr", PatientFile("2", "B"));
  bool removed = false;
  fs_.after_list = [&] {
    if (!removed) removed = PlatformFileSystem().Delete(dir_ / u"a.fmr");
  };
  const IntakeReport report = Tick();
  EXPECT_EQ(report.stored, 1u);
  EXPECT_EQ(report.left, 1u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"2:B"}));
}

TEST_F(Intake, FilesArrivingDuringATickWaitForTheNext) {
  Drop("a.fmr", PatientFile("1", "A"));
  int lists = 0;
  fs_.after_list = [&] {
    if (++lists == 2) Drop("b.fmr", PatientFile("2", "B"));  // after the snapshot
  };
  Tick();
  EXPECT_EQ(Names(), (std::vector<std::string>{"1:A"}));
  fs_.after_list = nullptr;
  Tick();
  EXPECT_EQ(Names(), (std::vector<std::string>{"1:A", "2:B"}));
}

TEST_F(Intake, UndecodableBytesAreStoredAsReplacementCharactersAndKeptInTheBackup) {
  const std::string bytes = std::string("Fun=xREGIST\r\nPID=\"9\"\r\nPName=\x82\r\n");
  Drop("a.fmr", bytes);
  Tick();
  EXPECT_EQ(Names(), (std::vector<std::string>{"9:\xEF\xBF\xBD"}));
  EXPECT_EQ(test::ReadFile(dir_ / u"a.bak"), bytes);
}

TEST_F(Intake, AMissingFolderOrHiddenFilesGiveAnEmptyTick) {
  IntakeCycle cycle(fs_, Gateway());
  const IntakeReport missing = cycle.ProcessExchangeFiles(dir_ / u"nowhere");
  EXPECT_EQ(missing.stored + missing.left + missing.renamed_only, 0u);
#ifdef _WIN32
  Drop("h.fmr", PatientFile("1", "hidden"));
  SetFileAttributesW(reinterpret_cast<const wchar_t*>((dir_ / u"h.fmr").c_str()), FILE_ATTRIBUTE_HIDDEN);
#else
  Drop(".h.fmr", PatientFile("1", "hidden"));
#endif
  const IntakeReport hidden = cycle.ProcessExchangeFiles(dir_.path());
  EXPECT_EQ(hidden.stored + hidden.left + hidden.renamed_only, 0u);
  EXPECT_TRUE(Names().empty());
}

// A file the viewer still writes is not consumed until it is closed, and
// then its complete content is what gets stored.
TEST_F(Intake, AFileHeldOpenForWritingIsLeftUntilClosed) {
  const Text path = dir_ / u"a.fmr";
  const std::string first = Sjis("Fun=xREGIST\r\nPID=\"5\"\r\n");
  const std::string rest = Sjis("PName=完成\r\n");
#ifdef _WIN32
  HANDLE writer = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  ::WriteFile(writer, first.data(), static_cast<DWORD>(first.size()), &written, nullptr);
  auto finish = [&] {
    ::WriteFile(writer, rest.data(), static_cast<DWORD>(rest.size()), &written, nullptr);
    CloseHandle(writer);
  };
#else
  std::string native = Utf8(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  const int writer = open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_GE(writer, 0);
  ASSERT_EQ(write(writer, first.data(), first.size()), static_cast<ssize_t>(first.size()));
  auto finish = [&] {
    ASSERT_EQ(write(writer, rest.data(), rest.size()), static_cast<ssize_t>(rest.size()));
    close(writer);
  };
#endif
  EXPECT_EQ(Tick().left, 1u);
  EXPECT_TRUE(Names().empty());
  EXPECT_EQ(Files(), (std::vector<std::string>{"a.fmr"}));
  finish();
  EXPECT_EQ(Tick().stored, 1u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"5:完成"}));
}

// Backup rotation: one row per starting folder state.
struct RotationCase {
  const char* name;
  std::vector<std::pair<const char*, const char*>> before;  // name, content
  std::vector<std::pair<std::string, std::string>> after;
};

class Rotation : public ::testing::TestWithParam<RotationCase> {};

TEST_P(Rotation, TurnsTheLastRunsBackupsIntoTheSecondGeneration) {
  TempDir dir;
  for (const auto& [name, content] : GetParam().before) WriteFile(dir / U(name), content);
  PatientGateway unused;
  IntakeCycle(PlatformFileSystem(), unused).RotateBackups(dir.path());
  std::vector<std::pair<std::string, std::string>> after;
  for (const Text& name : PlatformFileSystem().List(dir.path(), u"*")) {
    after.emplace_back(Utf8(name), *test::ReadFile(dir / name));
  }
  std::sort(after.begin(), after.end());
  EXPECT_EQ(after, GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Intake, Rotation,
    ::testing::Values(
        RotationCase{"NoBackups", {{"a.fmr", "1"}}, {{"a.fmr", "1"}}},
        RotationCase{"BakBesideBk2OfTheSameName", {{"a.bak", "new"}, {"a.bk2", "old"}}, {{"a.bk2", "new"}}},
        RotationCase{"LoneBk2IsDeleted", {{"b.bk2", "old"}}, {}},
        RotationCase{"UpperCaseBakGetsLowerCaseBk2", {{"X.BAK", "x"}}, {{"X.bk2", "x"}}},
        RotationCase{"OtherExtensionsAreUntouched",
                     {{"a.fmr", "1"}, {"b.req", "2"}, {"c.txt", "3"}, {"d.bakx", "4"}},
                     {{"a.fmr", "1"}, {"b.req", "2"}, {"c.txt", "3"}, {"d.bakx", "4"}}},
        RotationCase{"SeveralGenerations",
                     {{"a.bak", "a2"}, {"a.bk2", "a1"}, {"b.bak", "b2"}, {"c.bk2", "c1"}},
                     {{"a.bk2", "a2"}, {"b.bk2", "b2"}}}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(RotationFaults, ABackupHeldOpenStaysForTheNextStartAndTheRotationEnds) {
  TempDir dir;
  WriteFile(dir / u"a.bak", "held");
  WriteFile(dir / u"b.bak", "free");
  HookedFileSystem fs;
  fs.fail_rename = [](const Text& from) { return from.find(u"a.bak") != Text::npos; };
  PatientGateway unused;
  IntakeCycle(fs, unused).RotateBackups(dir.path());
  EXPECT_TRUE(PlatformFileSystem().FileExists(dir / u"a.bak"));
  EXPECT_TRUE(PlatformFileSystem().FileExists(dir / u"b.bk2"));
}

TEST(RotationFaults, AMissingFolderDoesNothing) {
  TempDir dir;
  PatientGateway unused;
  IntakeCycle(PlatformFileSystem(), unused).RotateBackups(dir / u"none");
  EXPECT_TRUE(PlatformFileSystem().List(dir.path(), u"*").empty());
}

TEST(BackupNames, ReplaceTheLastThreeCharacters) {
  EXPECT_EQ(Utf8(BackupName(u"C:\\x\\a.fmr", u"bak")), "C:\\x\\a.bak");
  EXPECT_EQ(Utf8(BackupName(u"C:\\x\\A.REQ", u"bak")), "C:\\x\\A.bak");
  EXPECT_EQ(Utf8(BackupName(u"C:\\x\\A.BAK", u"bk2")), "C:\\x\\A.bk2");
}

}  // namespace
}  // namespace tavik
