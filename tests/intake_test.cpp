// The intake: code page 932, the patient file, the platform's file system
// (Win32 under Wine, POSIX natively), the intake cycle and the rotation.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <new>
#include <tuple>
#include <utility>

#include "intake/ansi_decoder.h"
#include "intake/exchange_file.h"
#include "intake/file_system.h"
#include "intake/intake_cycle.h"
#include "patientdb/patient_gateway.h"
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

using namespace test;  // NOLINT(google-build-using-namespace)

TEST(CodePage932, DecodingGivesTheCharacters) {
  const struct {
    const char* name;
    std::string bytes;
    const char* text;  // UTF-8
  } kRows[] = {
      {"half width katakana take one byte", "\xB1\xDE\xDF", "ｱﾞﾟ"},
      {"kanji and kana take two bytes", "\x8E\x52\x93\x63\x82\xA0", "山田あ"},
      {"the lowest trail byte", "\x81\x40", "\u3000"},
      {"the highest trail byte", "\x81\xFC", "◯"},
      {"a lead byte before a line end keeps the line end", "\x82\r\nA", "\uFFFD\r\nA"},
      {"a pair without a character becomes one replacement", "\x85\x40Z", "\uFFFDZ"},
      {"a NUL byte is no character", std::string("a\0b", 3), "a\uFFFDb"},
  };
  for (const auto& row : kRows) EXPECT_EQ(Utf8(AnsiDecoder::System().Decode(row.bytes)), row.text) << row.name;
  EXPECT_EQ(AnsiDecoder::System().Decode(std::string_view("\x82\xA0", 1)), u"\uFFFD") << "the bytes end with the view";
}

// The items of a text, joined with "|".
std::string Items(TextView text) {
  ItemReader reader(text);
  std::string joined;
  for (bool first = true; !reader.AtEnd(); first = false) joined += (first ? "" : "|") + Utf8(reader.Next());
  return joined;
}

TEST(ExchangeFile, ItemsAreReadAsCommaDelimitedText) {
  const struct {
    const char *name, *text, *items;
  } kRows[] = {
      {"commas and line ends of every kind separate items", "a,b\r\nc\nd\re", "a|b|c|d|e"},
      {"blanks around an unquoted item are dropped", " \t a b \t,c", "a b|c"},
      {"a quoted item keeps commas blanks and line ends", "\" x, y\r\nz \",w", " x, y\r\nz |w"},
      {"what follows a closing quote is dropped up to the line end", "\"q\"junk\r\nz", "q|z"},
      {"an unterminated quote runs to the end", "a,\"open, still", "a|open, still"},
  };
  for (const auto& row : kRows) EXPECT_EQ(Items(U(row.text)), row.items) << row.name;
  EXPECT_EQ(Items(TextView(u"a, \"x\"").substr(0, 3)), "a|") << "the last item ends where the text's view ends";
}

// The fields of a file that hold something, as "name=value;": those the
// program stores (PNo, PInf2 to PInf8 and IName are read but never stored).
std::string Fields(const ExchangeFile& file) {
  const PatientRecord& r = file.record;
  const std::pair<const char*, const Text*> fields[] = {{"Fun", &file.function_code},
                                                        {"PID", &r.PID},
                                                        {"PName", &r.PName},
                                                        {"PKana", &r.PKana},
                                                        {"PBDat", &r.PBDat},
                                                        {"PSex", &r.PSex},
                                                        {"PZip", &r.PZip},
                                                        {"PAddr", &r.PAddr},
                                                        {"PTel", &r.PTel},
                                                        {"PFax", &r.PFax},
                                                        {"PInf1", &r.PInf1}};
  std::string out;
  for (const auto& [name, value] : fields) {
    if (!value->empty()) out += std::string(name) + "=" + Utf8(*value) + ";";
  }
  return out;
}

TEST(ExchangeFile, KeysPutTheValueFromItsPositionIntoItsField) {
  const struct {
    const char *name, *items /* one a line */, *fields;
  } kRows[] = {
      {"Fun starts at the sixth character and keeps its quotes", "Fun==\"R\"", "Fun=\"R\";"},
      {"Fun with one separator loses the first letter", "Fun=REGIST", "Fun=EGIST;"},
      {"PID loses its quotes", "PID=\"0042\"", "PID=0042;"},
      {"PID loses one quote at each end only", "PID=\"\"a\"b\"\"", "PID=\"a\"b\";"},
      {"PAddr loses a trailing quote alone", "PAddr=港区\"", "PAddr=港区;"},
      {"PBDat starts at the eighth character and keeps its quotes", "PBDate=\"1950\"", "PBDat=\"1950\";"},
      {"the keys ending in an equals sign start at the sixth character and keep their quotes",
       "PSex=\"1\"\nPZip=\"105\"\nPTel=\"03\"\nPFax=\"04\"", "PSex=\"1\";PZip=\"105\";PTel=\"03\";PFax=\"04\";"},
      {"the other five letter keys start at the seventh character and keep their quotes",
       "PName=\"山田 太郎\"\nPKana=\"ﾔ\"\nPInf1=\"a\"", "PName=\"山田 太郎\";PKana=\"ﾔ\";PInf1=\"a\";"},
      {"a five character prefix includes its equals sign", "PTel:03", ""},
      {"a later item wins", "PID=\"1\"\nPID=\"0042\"", "PID=0042;"},
      {"a key alone gives an empty value", "PName=x\nPName\nPID=1\nPID\nFun=xR\nFun", ""},
      {"items that match no key set nothing", "PI\nPInf9=x\npid=1\nPNO=1\nx PID=1", ""},
  };
  for (const auto& row : kRows) EXPECT_EQ(Fields(ParseExchangeText(U(row.items))), row.fields) << row.name;
}

TEST(ExchangeFile, PositionsCountCharactersNotBytes) {
  // A two-byte separator between key and value: the value starts where the
  // characters say, not the bytes.
  const ExchangeFile file = ParseExchangeBytes(Sjis("Func＝REGIST\r\nPName＝山田\r\nPID：\"0042\"\r\n"));
  EXPECT_EQ(Fields(file), "Fun=REGIST;PID=0042;PName=山田;");
  EXPECT_TRUE(file.AsksForStoring());
}

TEST(ExchangeFile, OnlyTheExactFunctionCodeAsksForStoring) {
  for (const char* fun : {"Fun=x REGIST", "Fun=xregist", "Fun=xREGISTER", "Fun=x", "PID=1"}) {
    EXPECT_FALSE(ParseExchangeText(U(fun)).AsksForStoring()) << fun;
  }
  EXPECT_TRUE(ParseExchangeText(u"Fun=xREGIST").AsksForStoring());
}

TEST(FileSystem, WildcardsMatchAsOnWindows) {
  const struct {
    const char* name;
    TextView pattern, file;
    bool match;
  } kRows[] = {
      {"a star matches an empty run", u"*.fmr", u".fmr", true},
      {"full width letters match without regard to case", u"\uFF41\uFF5A*", u"\uFF21\uFF3Ax", true},
      {"a star backtracks", u"*a*b", u"xaybzb", true},
      {"a pattern ends before a question mark outside it", TextView(u"x?", 1), u"xy", false},
  };
  for (const auto& row : kRows) EXPECT_EQ(WildcardMatch(row.pattern, row.file), row.match) << row.name;
}

class PlatformFiles : public ::testing::Test {
 protected:
  FileSystem& fs = PlatformFileSystem();
  TempDir dir;
};

TEST_F(PlatformFiles, ListingGivesOrdinaryMatchingFilesSortedByName) {
  for (const char* name : {"b.fmr", "A.FMR", "c.req", "x.fmrx", "山田.fmr", ".hidden.fmr"}) {
    WriteFile(dir / U(name), "x");
  }
  MakeHidden(dir / u".hidden.fmr");
  MakeFolder(dir / u"folder.fmr");
  EXPECT_EQ(fs.List(dir.path(), u"*.fmr"), (std::vector<Text>{u"A.FMR", u"b.fmr", u"山田.fmr"}));
  EXPECT_TRUE(fs.List(dir / u"missing", u"*.fmr").empty());
}

TEST_F(PlatformFiles, RenamingNeverReplacesAndDeletingSparesReadOnlyFiles) {
  WriteFile(dir / u"a.fmr", "new");
  WriteFile(dir / u"a.bak", "old");
  EXPECT_FALSE(fs.Rename(dir / u"a.fmr", dir / u"a.bak"));
  EXPECT_EQ(ReadFile(dir / u"a.bak"), "old");
  EXPECT_TRUE(fs.Rename(dir / u"a.fmr", dir / u"a.bk2"));
  MakeReadOnly(dir / u"a.bak");
  EXPECT_FALSE(fs.Delete(dir / u"a.bak"));
  EXPECT_TRUE(fs.Delete(dir / u"a.bk2"));
  EXPECT_FALSE(fs.Delete(dir.path()));
  EXPECT_EQ(FolderNames(dir.path()), std::vector<std::string>{"a.bak"});
}

TEST_F(PlatformFiles, ReadingGivesTheWholeFileUpToTheLimit) {
  const std::string big(70000, 'x');  // more than one read buffer
  WriteFile(dir / u"a.fmr", big);
  std::string bytes;
  EXPECT_EQ(fs.ReadAll(dir / u"a.fmr", big.size(), bytes), ReadStatus::Ok);
  EXPECT_EQ(bytes, big);
  EXPECT_EQ(fs.ReadAll(dir / u"a.fmr", big.size() - 1, bytes), ReadStatus::TooLarge);
  EXPECT_EQ(fs.ReadAll(dir / u"none.fmr", 100, bytes), ReadStatus::Missing);
  EXPECT_EQ(fs.ReadAll(dir.path(), 100, bytes), ReadStatus::Failed);
}

// Holds a file open for writing, as the viewer does while it writes; the
// returned function lets it go.
std::function<void()> HoldOpenForWriting(const Text& path) {
#ifdef _WIN32
  HANDLE handle = CreateFileW(WideCStr(path), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              0, nullptr);
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

// Stores patients in a list, failing on demand as the database would.
class FakeStore final : public PatientStore {
 public:
  StoreAction StorePatient(const PatientRecord& record) override {
    ++calls;
    if (fail_at) throw DatabaseError(*fail_at, "SQLExecDirectW", fail_state, 0, u"no answer");
    if (record.PID == throw_for) throw std::bad_alloc();
    if (while_storing) std::exchange(while_storing, nullptr)();
    stored.push_back(Utf8(record.PID) + ":" + Utf8(record.PName) + ":" + Utf8(record.PTel));
    return StoreAction::Inserted;
  }
  std::vector<std::string> stored;
  std::optional<DatabaseStage> fail_at;
  std::string fail_state = "08S01";
  Text throw_for = u"<none>";
  std::function<void()> while_storing;  // once
  int calls = 0;
};

// The platform's file system with faults on demand.
class HookedFileSystem final : public FileSystem {
 public:
  std::vector<Text> List(const Text& folder, const Text& pattern) override {
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

  std::function<void()> after_list;  // after each listing
  Text throw_on_read = u"<none>";
  Text refuse_rename = u"<none>";

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
  Put({{"b.req", PatientFile("3")}, {"b.fmr", PatientFile("2", "b")}, {"a.fmr", PatientFile("1", "a")}});
  EXPECT_EQ(Tick().stored, 3u);
  EXPECT_EQ(store.stored, (std::vector<std::string>{"1:a:03", "2:b:03", "3:山田:03"}));
  // The .req file shares the .fmr file's backup name and replaces it.
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "b.bak"}));
  EXPECT_EQ(ReadFile(dir / u"b.bak"), PatientFile("3"));
}

TEST_F(Intake, AFileThatDoesNotAskForStoringIsOnlyRenamedAndPassesNothingOn) {
  Put({{"a.fmr", Sjis("Fun=xREGIST\r\nPID=1\r\nPName=a\r\nPTel=03\r\n")},
       {"b.fmr", Sjis("PID=2\r\nPName=b\r\n")},
       {"c.fmr", Sjis("Fun=xREGIST\r\nPID=3\r\n")},
       {"d.fmr", Sjis("PID=4\r\n")},
       {"d.bak", "old"}});
  const IntakeReport report = Tick();
  EXPECT_EQ(report.stored, 2u);
  EXPECT_EQ(report.renamed_only, 1u);
  EXPECT_EQ(report.left, 1u) << "an old backup in the way is left alone: the file waits";
  // No field and no function code is inherited from an earlier file.
  EXPECT_EQ(store.stored, (std::vector<std::string>{"1:a:03", "3::"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "b.bak", "c.bak", "d.bak", "d.fmr"}));
}

TEST_F(Intake, AFailedConnectionOrATimeOutLeavesTheTicksOtherPatientsUntriedAndARefusedStatementDoesNot) {
  Put({{"a.fmr", PatientFile("1")}, {"b.fmr", PatientFile("2", "b", "x")}, {"c.fmr", PatientFile("3")}});
  const std::tuple<DatabaseStage, const char*, int> kFailures[] = {{DatabaseStage::Connect, "08001", 1},
                                                                   {DatabaseStage::Statement, "HYT00", 1},
                                                                   {DatabaseStage::Statement, "23000", 2}};
  for (const auto& [stage, state, tried] : kFailures) {
    store.calls = 0;
    store.fail_at = stage;
    store.fail_state = state;
    EXPECT_EQ(Tick().left, 2u) << state;
    EXPECT_EQ(store.calls, tried) << state;
    EXPECT_EQ(Names(), (std::vector<std::string>{"a.fmr", "b.bak", "c.fmr"}));
  }
  store.fail_at.reset();
  EXPECT_EQ(Tick().stored, 2u);
  EXPECT_EQ(store.stored, (std::vector<std::string>{"1:山田:03", "3:山田:03"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "b.bak", "c.bak"}));
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

TEST_F(Intake, AFileWrittenAgainWhileItsPatientIsStoredWaitsForTheNextTick) {
  Put({{"a.fmr", PatientFile("1")}});
  store.while_storing = [&] { Put({{"a.fmr", PatientFile("2")}}); };
  EXPECT_EQ(Tick().left, 1u);
  EXPECT_EQ(Tick().stored, 1u);
  EXPECT_EQ(store.stored, (std::vector<std::string>{"1:山田:03", "2:山田:03"}));
  EXPECT_EQ(ReadFile(dir / u"a.bak"), PatientFile("2"));
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
  Put({{"a.fmr", PatientFile("1")}, {"b.fmr", PatientFile("2")}, {"c.fmr", PatientFile("3")}});
  constexpr std::size_t kMebibyte = 1048576;  // the most a patient file may hold
  Put({{"e.fmr", PatientFile("5") + std::string(kMebibyte - PatientFile("5").size() + 1, ' ')},
       {"f.fmr", PatientFile("6") + std::string(kMebibyte - PatientFile("6").size(), ' ')}});
  files.throw_on_read = u"b.fmr";  // a fault of the platform
  store.throw_for = u"3";          // out of memory while storing
  const IntakeReport report = Tick();
  EXPECT_EQ(report.stored, 2u);
  EXPECT_EQ(report.left, 3u);
  EXPECT_EQ(store.stored, (std::vector<std::string>{"1:山田:03", "6:山田:03"}));
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "b.fmr", "c.fmr", "e.fmr", "f.bak"}));
}

TEST_F(Intake, WithoutAFolderNothingIsListedOrTouched) {
  Put({{"a.fmr", PatientFile("1")}, {"a.bak", "x"}});
  int listings = 0;
  files.after_list = [&] { ++listings; };
  EXPECT_EQ(cycle.ProcessExchangeFiles(u"").stored, 0u);
  cycle.RotateBackups(u"");
  EXPECT_EQ(listings, 0);
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.bak", "a.fmr"}));
}

TEST_F(Intake, RotationDeletesTheSecondGenerationAndPromotesTheFirst) {
  Put({{"a.bak", "a1"}, {"a.bk2", "a2"}, {"b.bk2", "b2"}, {"C.BAK", "c1"}, {"f.bak", "f1"}, {"f.bk2", "f2"}});
  MakeReadOnly(dir / u"f.bk2");  // cannot be freed: f.bak waits
  cycle.RotateBackups(dir.path());
  EXPECT_EQ(Names(), (std::vector<std::string>{"C.bk2", "a.bk2", "f.bak", "f.bk2"}));
  EXPECT_EQ(ReadFile(dir / u"a.bk2"), "a1");
  EXPECT_EQ(ReadFile(dir / u"f.bk2"), "f2");
}

// Counts the stores it passes on.
struct CountingStore final : PatientStore {
  explicit CountingStore(PatientStore& store) : inner(store) {}
  StoreAction StorePatient(const PatientRecord& record) override { return ++calls, inner.StorePatient(record); }
  PatientStore& inner;
  int calls = 0;
};

// The whole road through real data sources.
class IntakeEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPatientTable(kSqliteSource);
    WriteFile(dir / u"0042.fmr", Sjis("Fun=xREGIST\r\nPID=\"0042\"\r\nPName=山田 太郎\r\nPAddr=\"東京都港区\"\r\n"));
    WriteFile(dir / u"0043.req", Sjis("Fun=xREGIST\r\nPID=\"0043\"\r\nPName=ﾔﾏﾀﾞ\r\n"));
  }
  IntakeReport Tick(TextView data_source) {
    PatientGateway gateway(PatientGateway::Options{Text(data_source), true, nullptr});
    CountingStore counting(gateway);
    const IntakeReport report = IntakeCycle(PlatformFileSystem(), counting).ProcessExchangeFiles(dir.path());
    stores = counting.calls;
    return report;
  }
  int stores = 0;
  const std::vector<std::string> rows_{"0042|山田 太郎|||||東京都港区||||<null>", "0043|ﾔﾏﾀﾞ|||||||||<null>"};
  TempDir dir;
};

TEST_F(IntakeEndToEnd, PatientsWaitForAMissingDataSourceAndAreStoredOnceItIsBack) {
  EXPECT_EQ(Tick(u"FileMaker5Undefined").left, 2u);
  EXPECT_EQ(Tick(kSqliteSource).stored, 2u);
  EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"0042.bak", "0043.bak"}));
  EXPECT_EQ(PatientRows(kSqliteSource), rows_);
}

TEST_F(IntakeEndToEnd, ALockedTableOrAServerThatNeverAnswersCostsOneTimeOutATickAndThePatientsWait) {
  ResetPatientTable(kPostgresSource);
  const SilentServer silent;
  const auto lock = LockPatientTable(kPostgresSource);
  for (const TextView source : {kPostgresSource, kSilentSource}) {
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(Tick(source).left, 2u) << Utf8(source);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(25)) << "each time-out is 10 s";
    EXPECT_EQ(stores, 1) << "the second patient is not tried";
    EXPECT_EQ(FolderNames(dir.path()), (std::vector<std::string>{"0042.fmr", "0043.req"}));
  }
}

}  // namespace
}  // namespace tavik
