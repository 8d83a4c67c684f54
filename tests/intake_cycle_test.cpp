// The intake cycle and the backup rotation on real temporary folders, the
// patients going to a store that fails on demand; two ticks end to end on
// the SQLite3 data source.
#include <gtest/gtest.h>

#include <functional>
#include <new>

#include "intake/intake_cycle.h"
#include "patientdb/patient_gateway.h"
#include "support/test_support.h"

namespace tavik {
namespace {

using test::FolderNames;
using test::ReadFile;
using test::Sjis;
using test::TempDir;
using test::U;
using test::Utf8;
using test::WriteFile;

// Stores patients in a list, failing on demand as the database would.
class FakeStore final : public PatientStore {
 public:
  StoreAction StorePatient(const PatientRecord& record) override {
    ++calls;
    if (fail_at) throw DatabaseError(*fail_at, "SQLExecDirectW", "08S01", 0, u"no answer");
    if (record.PID == throw_for) throw std::bad_alloc();
    stored.push_back(Utf8(record.PID) + ":" + Utf8(record.PName) + ":" + Utf8(record.PTel));
    return StoreAction::Inserted;
  }
  std::vector<std::string> stored;
  std::optional<DatabaseStage> fail_at;
  Text throw_for = u"<none>";
  int calls = 0;
};

// The platform's file system with faults on demand.
class HookedFileSystem final : public FileSystem {
 public:
  std::vector<Text> List(const Text& folder, const Text& pattern) override {
    ++listings;
    std::vector<Text> names = real().List(folder, pattern);
    if (after_list) after_list();
    return names;
  }
  ReadStatus ReadAll(const Text& path, std::uint64_t max_bytes, std::string& bytes) override {
    if (path.find(throw_on_read) != Text::npos) throw std::runtime_error("read fault");
    return real().ReadAll(path, max_bytes, bytes);
  }
  bool Delete(const Text& path) override { return real().Delete(path); }
  bool Rename(const Text& from, const Text& to) override {
    return from.find(refuse_rename) == Text::npos && real().Rename(from, to);
  }
  bool FolderExists(const Text& path) override { return real().FolderExists(path); }
  bool FileExists(const Text& path) override { return real().FileExists(path); }

  std::function<void()> after_list;
  Text throw_on_read = u"<none>";
  Text refuse_rename = u"<none>";
  int listings = 0;

 private:
  static FileSystem& real() { return PlatformFileSystem(); }
};

std::string PatientFile(const char* chart, const char* name = "山田", const char* fun = "xREGIST") {
  return Sjis((std::string("Fun=") + fun + "\r\nPID=\"" + chart + "\"\r\nPName=" + name + "\r\nPTel=03\r\n").c_str());
}

class Intake : public ::testing::Test {
 protected:
  IntakeReport Tick() { return cycle.ProcessExchangeFiles(dir.path()); }
  void Put(std::initializer_list<std::pair<const char*, std::string>> named_contents) {
    for (const auto& [name, bytes] : named_contents) WriteFile(dir / U(name), bytes);
  }
  std::vector<std::string> Names() const { return FolderNames(dir.path()); }

  TempDir dir;
  FakeStore store;
  HookedFileSystem files;
  IntakeCycle cycle{files, store};
};

TEST_F(Intake, StoresEachFmrThenEachReqFileAndRenamesItToItsBackupName) {
  Put({{"b.req", PatientFile("3")}, {"b.fmr", PatientFile("2", "b")}, {"a.fmr", PatientFile("1", "a")},
       {"c.txt", PatientFile("4")}});
  const IntakeReport report = Tick();
  EXPECT_EQ(report.stored, 3u);
  EXPECT_EQ(store.stored, (std::vector<std::string>{"1:a:03", "2:b:03", "3:山田:03"}));
  // The .req file shares the .fmr file's backup name and replaces it.
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "b.bak", "c.txt"}));
  EXPECT_EQ(ReadFile(dir / u"b.bak"), PatientFile("3"));
  EXPECT_EQ(Tick().stored, 0u);
  EXPECT_EQ(store.calls, 3);
}

TEST_F(Intake, AFileThatDoesNotAskForStoringIsOnlyRenamedAndPassesNothingOn) {
  Put({{"a.fmr", Sjis("Fun=xREGIST\r\nPID=1\r\nPName=a\r\nPTel=03\r\n")}, {"b.fmr", Sjis("PID=2\r\nPName=b\r\n")},
       {"c.fmr", Sjis("Fun=xREGIST\r\nPID=3\r\n")}});
  const IntakeReport report = Tick();
  EXPECT_EQ(report.stored, 2u);
  EXPECT_EQ(report.renamed_only, 1u);
  // No field and no function code is inherited from an earlier file.
  EXPECT_EQ(store.stored, (std::vector<std::string>{"1:a:03", "3::"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "b.bak", "c.bak"}));
  EXPECT_EQ(cycle.LastRecord().PID, u"3");
}

TEST_F(Intake, AnOutageLeavesEveryPatientFileForTheTickAfterIt) {
  Put({{"a.fmr", PatientFile("1")}, {"b.fmr", PatientFile("2", "b", "x")}, {"c.fmr", PatientFile("3")}});
  store.fail_at = DatabaseStage::Connect;
  EXPECT_EQ(Tick().left, 2u);
  EXPECT_EQ(store.calls, 1);  // the database is not tried again in the same tick
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.fmr", "b.bak", "c.fmr"}));
  store.fail_at = DatabaseStage::Statement;
  EXPECT_EQ(Tick().left, 2u);
  EXPECT_EQ(store.calls, 3);  // a refused statement does not hold the next patient back
  store.fail_at.reset();
  EXPECT_EQ(Tick().stored, 2u);
  EXPECT_EQ(store.stored, (std::vector<std::string>{"1:山田:03", "3:山田:03"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "b.bak", "c.bak"}));
}

TEST_F(Intake, AnOldBackupInTheWayOfAStoredFileIsDeleted) {
  Put({{"a.fmr", PatientFile("1")}, {"a.bak", "old"}, {"b.fmr", PatientFile("2", "b", "x")}, {"b.bak", "old"}});
  const IntakeReport report = Tick();
  EXPECT_EQ(report.stored, 1u);
  EXPECT_EQ(report.left, 1u);
  EXPECT_EQ(ReadFile(dir / u"a.bak"), PatientFile("1"));
  // Without storing the backup name is not freed: the file waits.
  EXPECT_EQ(ReadFile(dir / u"b.bak"), "old");
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "b.bak", "b.fmr"}));
}

TEST_F(Intake, AStoredFileThatCannotBeRenamedIsStoredAgainLater) {
  Put({{"a.fmr", PatientFile("1")}});
  files.refuse_rename = u"a.fmr";
  EXPECT_EQ(Tick().left, 1u);
  files.refuse_rename = u"<none>";
  EXPECT_EQ(Tick().stored, 1u);
  EXPECT_EQ(store.calls, 2);
  EXPECT_EQ(Names(), std::vector<std::string>{"a.bak"});
}

TEST_F(Intake, FilesArrivingDuringATickWaitForTheNext) {
  Put({{"a.fmr", PatientFile("1")}});
  files.after_list = [&] { Put({{"z.fmr", PatientFile("2")}}); };
  EXPECT_EQ(Tick().stored, 1u);
  files.after_list = nullptr;
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "z.fmr"}));
  EXPECT_EQ(Tick().stored, 1u);
}

TEST_F(Intake, OneFileThatCannotBeHandledHoldsNoOtherBack) {
  Put({{"a.fmr", PatientFile("1")}, {"b.fmr", PatientFile("2")}, {"c.fmr", PatientFile("3")},
       {"d.fmr", PatientFile("4")}});
  const std::string too_big = Sjis("Fun=xREGIST\r\nPID=5\r\n") + std::string(kMaxPatientFileBytes, ' ');
  Put({{"e.fmr", too_big},
       {"f.fmr", PatientFile("6") + std::string(kMaxPatientFileBytes - PatientFile("6").size(), ' ')}});
  files.throw_on_read = u"b.fmr";  // a fault of the platform
  store.throw_for = u"3";          // out of memory while storing
  const IntakeReport report = Tick();
  EXPECT_EQ(report.stored, 3u);
  EXPECT_EQ(report.left, 3u);
  EXPECT_EQ(store.stored, (std::vector<std::string>{"1:山田:03", "4:山田:03", "6:山田:03"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "b.fmr", "c.fmr", "d.bak", "e.fmr", "f.bak"}));
  EXPECT_EQ(ReadFile(dir / u"e.fmr"), too_big);
}

TEST_F(Intake, UndecodableBytesReachTheStoreAsReplacementCharacters) {
  Put({{"a.fmr", "Fun=xREGIST\r\nPID=\x82\r\nPName=\x85\x40\r\n"}});
  Tick();
  EXPECT_EQ(store.stored, std::vector<std::string>{"\uFFFD:\uFFFD:"});
}

TEST_F(Intake, WithoutAFolderNothingIsListedOrTouched) {
  Put({{"a.fmr", PatientFile("1")}, {"a.bak", "x"}});
  EXPECT_EQ(cycle.ProcessExchangeFiles(u"").stored, 0u);
  cycle.RotateBackups(u"");
  EXPECT_EQ(files.listings, 0);
  EXPECT_EQ(cycle.ProcessExchangeFiles(dir / u"missing").stored, 0u);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "a.fmr"}));
}

TEST_F(Intake, RotationDeletesTheSecondGenerationAndPromotesTheFirst) {
  Put({{"a.bak", "a1"}, {"a.bk2", "a2"}, {"b.bk2", "b2"}, {"C.BAK", "c1"}, {"d.fmr", "d"}, {"e.req", "e"},
       {"f.bak", "f1"}, {"f.bk2", "f2"}});
  test::MakeReadOnly(dir / u"f.bk2");  // cannot be freed: f.bak waits
  cycle.RotateBackups(dir.path());
  EXPECT_EQ(Names(), (std::vector<std::string>{"C.bk2", "a.bk2", "d.fmr", "e.req", "f.bak", "f.bk2"}));
  EXPECT_EQ(ReadFile(dir / u"a.bk2"), "a1");
  EXPECT_EQ(ReadFile(dir / u"C.bk2"), "c1");
  EXPECT_EQ(ReadFile(dir / u"f.bk2"), "f2");
}

// The whole road on the SQLite3 data source.
class IntakeEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    test::ResetPatientTable(test::kSqliteSource);
    WriteFile(dir / u"0042.fmr", Sjis("Fun=xREGIST\r\nPID=\"0042\"\r\nPName=山田 太郎\r\nPAddr=\"東京都港区\"\r\n"));
    WriteFile(dir / u"0043.req", Sjis("Fun=xREGIST\r\nPID=\"0043\"\r\nPName=ﾔﾏﾀﾞ\r\n"));
  }
  IntakeReport Tick(TextView data_source) {
    PatientGateway gateway(PatientGateway::Options{Text(data_source), true, nullptr});
    return IntakeCycle(PlatformFileSystem(), gateway).ProcessExchangeFiles(dir.path());
  }
  const std::vector<std::string> rows_{"0042|山田 太郎|||||東京都港区||||<null>", "0043|ﾔﾏﾀﾞ|||||||||<null>"};
  TempDir dir;
};

TEST_F(IntakeEndToEnd, PatientFilesBecomeRowsAndBackups) {
  EXPECT_EQ(Tick(test::kSqliteSource).stored, 2u);
  EXPECT_EQ(test::PatientRows(test::kSqliteSource), rows_);
  EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"0042.bak", "0043.bak"}));
}

TEST_F(IntakeEndToEnd, PatientsWaitForAMissingDataSourceAndAreStoredOnceItIsBack) {
  EXPECT_EQ(Tick(u"FileMaker5Undefined").left, 2u);
  EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"0042.fmr", "0043.req"}));
  EXPECT_EQ(Tick(test::kSqliteSource).stored, 2u);
  EXPECT_EQ(Tick(test::kSqliteSource).stored, 0u);
  EXPECT_EQ(test::PatientRows(test::kSqliteSource), rows_);
}

}  // namespace
}  // namespace tavik
