// The settings store: defaults for absent entries without creating anything,
// entries of other applications, round trips, overwriting; on Windows the
// registry values as the per-application settings functions keep them, in
// the portable build the file and its atomic replacement.
//
// Under Windows (and Wine) the tests write only under application names of
// their own, "TavikFMTest" and "TavikFMTestViewer", and remove them again:
// the program's and the viewer's real entries are never touched.
#include "settings/settings_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "support/test_support.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace tavik {
namespace {

using test::U;
using test::Utf8;

using test::RowName;

#ifdef _WIN32
// Names of the tests' own: the real "TavikFM" and "TavikView" stay untouched.
constexpr TextView kApp = u"TavikFMTest";
constexpr TextView kViewer = u"TavikFMTestViewer";
constexpr TextView kAppLower = u"tavikfmtest";
constexpr TextView kAppUpper = u"TAVIKFMTEST";
#else
constexpr TextView kApp = kProgramTitle;
constexpr TextView kViewer = kViewerTitle;
constexpr TextView kAppLower = u"tavikfm";
constexpr TextView kAppUpper = u"TAVIKFM";
#endif
constexpr TextView kSection = kSettingsSection;

// One entry of the store.
struct Entry {
  TextView application;
  TextView section;
  TextView key;
  Text value;
};

#ifdef _WIN32
// --- The registry as the tests see it ------------------------------------------

const std::wstring kRoot = L"Software\\VB and VBA Program Settings";

std::wstring W(TextView text) { return std::wstring(text.begin(), text.end()); }

std::wstring SectionKey(TextView application, TextView section) {
  return kRoot + L"\\" + W(application) + L"\\" + W(section);
}

bool KeyExists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    return false;
  }
  RegCloseKey(key);
  return true;
}

// Every subkey and value under a key, in a text that compares equal as long
// as nothing changed.
void Dump(HKEY parent, const std::wstring& path, std::string& out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
    out += "absent " + Utf8(Text(path.begin(), path.end())) + "\n";
    return;
  }
  out += "key " + Utf8(Text(path.begin(), path.end())) + "\n";
  std::vector<std::wstring> names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    names.emplace_back(name, length);
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD length = 16384;
    DWORD type = 0;
    DWORD size = 0;
    if (RegEnumValueW(key, i, name, &length, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> data(size + 2u, 0);
    DWORD got = size;
    RegQueryValueExW(key, std::wstring(name, length).c_str(), nullptr, &type, data.data(), &got);
    out += "value " + Utf8(Text(name, name + length)) + " type " + std::to_string(type) +
           " bytes " + std::string(reinterpret_cast<const char*>(data.data()), got) + "\n";
  }
  RegCloseKey(key);
  std::sort(names.begin(), names.end());
  for (const std::wstring& name : names) Dump(parent, path + L"\\" + name, out);
}

void DeleteTestKeys() {
  for (const TextView application : {kApp, kViewer}) {
    RegDeleteTreeW(HKEY_CURRENT_USER, (kRoot + L"\\" + W(application)).c_str());
  }
}

// The root key of the settings, when the test run created it, goes again
// once it is empty.
const bool kRootExistedBefore = KeyExists(kRoot);

void DeleteRootIfOurs() {
  if (kRootExistedBefore) return;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kRoot.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  DWORD subkeys = 0;
  DWORD values = 0;
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                   nullptr, nullptr, nullptr);
  RegCloseKey(key);
  if (subkeys == 0 && values == 0) RegDeleteKeyW(HKEY_CURRENT_USER, kRoot.c_str());
}

// A value written straight through the registry functions, as the viewer
// writes its settings.
void SetRawValue(TextView application, TextView section, TextView key, DWORD type, const void* data,
                 DWORD size) {
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, SectionKey(application, section).c_str(), 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &handle, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExW(handle, W(key).c_str(), 0, type, static_cast<const BYTE*>(data), size),
            ERROR_SUCCESS);
  RegCloseKey(handle);
}
#else
// --- The settings file as the tests see it ---------------------------------------

std::string Native(const Text& path) {
  std::string native = Utf8(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

std::vector<std::string> FolderNames(const Text& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(Native(folder).c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  return names;
}
#endif

// Each test starts from an empty store of its own.
class SettingsTest : public ::testing::Test {
 protected:
  SettingsTest() {
#ifdef _WIN32
    DeleteTestKeys();
    store_ = MakeRegistrySettingsStore();
#else
    store_ = MakeFileSettingsStore(file_);
#endif
  }

  ~SettingsTest() override {
#ifdef _WIN32
    DeleteTestKeys();
    DeleteRootIfOurs();
#endif
  }

  SettingsStore& store() { return *store_; }

  Text Read(const Entry& entry, TextView default_value = u"<default>") {
    return store_->ReadSetting(entry.application, entry.section, entry.key, default_value);
  }

  void Write(const Entry& entry) {
    ASSERT_TRUE(store_->WriteSetting(entry.application, entry.section, entry.key, entry.value))
        << Utf8(entry.key);
  }

  // How another program of the same user stores an entry under its own name.
  void WriteAsAnotherProgram(const Entry& entry) {
#ifdef _WIN32
    const std::wstring data = W(entry.value);
    SetRawValue(entry.application, entry.section, entry.key, REG_SZ, data.c_str(),
                static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
#else
    const std::unique_ptr<SettingsStore> other = MakeFileSettingsStore(file_);
    ASSERT_TRUE(other->WriteSetting(entry.application, entry.section, entry.key, entry.value));
#endif
  }

  // Everything the tests' applications hold in the store.
  std::string Snapshot() {
    std::string out;
#ifdef _WIN32
    out += KeyExists(kRoot) ? "root\n" : "no root\n";
    for (const TextView application : {kApp, kViewer}) {
      Dump(HKEY_CURRENT_USER, kRoot + L"\\" + W(application), out);
    }
#else
    for (const std::string& name : FolderNames(dir_.path())) out += "file " + name + "\n";
    out += test::ReadFile(file_).value_or("<no file>");
#endif
    return out;
  }

#ifndef _WIN32
  test::TempDir dir_;
  Text file_ = dir_ / u"settings.ini";
#endif

 private:
  std::unique_ptr<SettingsStore> store_;
};

// --- Absent entries ------------------------------------------------------------------

struct AbsentCase {
  const char* name;
  std::vector<Entry> stored;  // what the store holds before the read
  Entry read;                 // its value is the default given
};
void PrintTo(const AbsentCase& row, std::ostream* os) { *os << row.name; }

class SettingsAbsent : public SettingsTest, public ::testing::WithParamInterface<AbsentCase> {};

TEST_P(SettingsAbsent, GiveTheDefaultAndCreateNothing) {
  const AbsentCase& c = GetParam();
  for (const Entry& entry : c.stored) Write(entry);
  const std::string before = Snapshot();

  EXPECT_EQ(Utf8(Read(c.read, c.read.value)), Utf8(c.read.value));

  EXPECT_EQ(Snapshot(), before);
#ifdef _WIN32
  // The key read from is there only when a write made it. (Empty names
  // address no key of their own.)
  if (!c.read.application.empty() && !c.read.section.empty()) {
    const bool section_stored = std::any_of(c.stored.begin(), c.stored.end(), [&](const Entry& e) {
      return e.application == c.read.application && e.section == c.read.section;
    });
    EXPECT_EQ(KeyExists(SectionKey(c.read.application, c.read.section)), section_stored);
  }
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsAbsent,
    ::testing::Values(AbsentCase{"an empty store gives the number default as text",
                                 {},
                                 {kApp, kSection, kKeyKosinTime, u"1000"}},
                      AbsentCase{"an empty store gives the hidden flag default",
                                 {},
                                 {kApp, kSection, kKeyVisible, u"0"}},
                      AbsentCase{"a missing viewer application gives the program folder",
                                 {{kApp, kSection, kKeyKosinTime, u"500"}},
                                 {kViewer, kSection, kKeyFolda, u"C:\\Program Files\\TavikFM"}},
                      AbsentCase{"a missing section gives the default",
                                 {{kApp, u"Other", kKeyKosinTime, u"500"}},
                                 {kApp, kSection, kKeyKosinTime, u"1000"}},
                      AbsentCase{"a missing key gives the default",
                                 {{kApp, kSection, kKeyVisible, u"1"}},
                                 {kApp, kSection, kKeyKosinTime, u"1000"}},
                      AbsentCase{"a key stored only under another application is absent",
                                 {{kViewer, kSection, kKeyKosinTime, u"500"}},
                                 {kApp, kSection, kKeyKosinTime, u"1000"}},
                      AbsentCase{"an empty default is returned as empty text",
                                 {},
                                 {kApp, kSection, kKeyFolda, u""}},
                      AbsentCase{"a Japanese default is returned unchanged",
                                 {},
                                 {kViewer, kSection, kKeyFolda, U("C:\\データ")}},
                      AbsentCase{"an empty application name gives the default",
                                 {{kApp, kSection, kKeyKosinTime, u"500"}},
                                 {u"", kSection, kKeyKosinTime, u"1000"}},
                      AbsentCase{"an empty section name gives the default",
                                 {{kApp, kSection, kKeyKosinTime, u"500"}},
                                 {kApp, u"", kKeyKosinTime, u"1000"}},
                      AbsentCase{"an empty key gives the default",
                                 {{kApp, kSection, kKeyKosinTime, u"500"}},
                                 {kApp, kSection, u"", u"1000"}}),
    RowName<AbsentCase>);

// --- Entries another program stored --------------------------------------------------

struct OtherProgramCase {
  const char* name;
  Text folder;
};
void PrintTo(const OtherProgramCase& row, std::ostream* os) { *os << row.name; }

class SettingsOtherProgram : public SettingsTest,
                             public ::testing::WithParamInterface<OtherProgramCase> {};

TEST_P(SettingsOtherProgram, EntriesAreReadUnderItsName) {
  const Entry folda{kViewer, kSection, kKeyFolda, GetParam().folder};
  WriteAsAnotherProgram(folda);
  EXPECT_EQ(Utf8(Read(folda, u"C:\\Program Files\\TavikFM")), Utf8(folda.value));
  // The program's own application name sees none of it.
  EXPECT_EQ(Utf8(Read({kApp, kSection, kKeyFolda, u""})), "<default>");
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsOtherProgram,
                         ::testing::Values(OtherProgramCase{"a plain folder", u"D:\\Exchange"},
                                           OtherProgramCase{"a drive root", u"D:\\"},
                                           OtherProgramCase{"a Japanese folder",
                                                            U("C:\\診療\\ﾃﾞｰﾀ交信")}),
                         RowName<OtherProgramCase>);

// --- Round trips ------------------------------------------------------------------------

struct RoundTripCase {
  const char* name;
  Entry entry;
};
void PrintTo(const RoundTripCase& row, std::ostream* os) { *os << row.name; }

class SettingsRoundTrip : public SettingsTest,
                          public ::testing::WithParamInterface<RoundTripCase> {};

TEST_P(SettingsRoundTrip, ReadsBackWhatWasWritten) {
  const Entry& entry = GetParam().entry;
  Write(entry);
  EXPECT_EQ(Utf8(Read(entry)), Utf8(entry.value));
  // A store made afresh finds it as well: nothing is kept in memory only.
#ifdef _WIN32
  const std::unique_ptr<SettingsStore> fresh = MakeRegistrySettingsStore();
#else
  const std::unique_ptr<SettingsStore> fresh = MakeFileSettingsStore(file_);
#endif
  EXPECT_EQ(Utf8(fresh->ReadSetting(entry.application, entry.section, entry.key, u"x")),
            Utf8(entry.value));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsRoundTrip,
    ::testing::Values(
        RoundTripCase{"a number as decimal text", {kApp, kSection, kKeyKosinTime, u"1000"}},
        RoundTripCase{"the hidden flag", {kApp, kSection, kKeyVisible, u"1"}},
        RoundTripCase{"a folder path", {kViewer, kSection, kKeyFolda, u"D:\\Exchange"}},
        RoundTripCase{"Japanese text", {kApp, kSection, kKeyFolda, U("データ交信フォルダ")}},
        RoundTripCase{"half width katakana", {kApp, kSection, kKeyFolda, U("ﾃﾞｰﾀｺｳｼﾝ")}},
        RoundTripCase{"characters beyond the basic plane",
                      {kApp, kSection, kKeyFolda, U("𠮷野家")}},
        RoundTripCase{"an empty text is an entry of its own", {kApp, kSection, kKeyFolda, u""}},
        RoundTripCase{"blanks around the text are kept", {kApp, kSection, kKeyFolda, u"  x  "}},
        RoundTripCase{"an equals sign and brackets in the value",
                      {kApp, kSection, kKeyFolda, u"a=b [c] ;d #e"}},
        RoundTripCase{"percent signs in the value", {kApp, kSection, kKeyFolda, u"100% %41 %"}},
        RoundTripCase{"line breaks and tabs in the value",
                      {kApp, kSection, kKeyFolda, u"a\r\nb\nc\td\r"}},
        RoundTripCase{"a long text", {kApp, kSection, kKeyFolda, Text(70000, u'\u3042')}},
        RoundTripCase{"a key with odd characters", {kApp, kSection, u"a=b[c]%;#d", u"odd"}},
        RoundTripCase{"a Japanese key and section", {kApp, u"設定", u"間隔", u"1000"}},
        RoundTripCase{"a section with brackets", {kApp, u"[S]", kKeyKosinTime, u"1"}}),
    RowName<RoundTripCase>);

// --- Sequences of writes -------------------------------------------------------------

struct SequenceCase {
  const char* name;
  std::vector<Entry> writes;
  std::vector<Entry> reads;  // each with the value expected
};
void PrintTo(const SequenceCase& row, std::ostream* os) { *os << row.name; }

class SettingsWrites : public SettingsTest, public ::testing::WithParamInterface<SequenceCase> {};

TEST_P(SettingsWrites, LeaveTheLastValueOfEachEntry) {
  const SequenceCase& c = GetParam();
  for (const Entry& entry : c.writes) Write(entry);
  for (const Entry& expected : c.reads) {
    EXPECT_EQ(Utf8(Read(expected)), Utf8(expected.value)) << Utf8(expected.key);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsWrites,
    ::testing::Values(
        SequenceCase{
            "a second write replaces the first",
            {{kApp, kSection, kKeyKosinTime, u"1000"}, {kApp, kSection, kKeyKosinTime, u"300"}},
            {{kApp, kSection, kKeyKosinTime, u"300"}}},
        SequenceCase{
            "a longer value replaces a shorter one",
            {{kApp, kSection, kKeyKosinTime, u"300"}, {kApp, kSection, kKeyKosinTime, u"60000"}},
            {{kApp, kSection, kKeyKosinTime, u"60000"}}},
        SequenceCase{"an empty value replaces a value",
                     {{kApp, kSection, kKeyFolda, u"D:\\"}, {kApp, kSection, kKeyFolda, u""}},
                     {{kApp, kSection, kKeyFolda, u""}}},
        SequenceCase{
            "other keys keep their values",
            {{kApp, kSection, kKeyKosinTime, u"1000"},
             {kApp, kSection, kKeyVisible, u"1"},
             {kApp, kSection, kKeyKosinTime, u"500"}},
            {{kApp, kSection, kKeyKosinTime, u"500"}, {kApp, kSection, kKeyVisible, u"1"}}},
        SequenceCase{
            "keys differing only in case are one entry",
            {{kApp, kSection, u"KosinTime", u"1000"}, {kApp, kSection, u"KOSINTIME", u"300"}},
            {{kApp, kSection, u"kosintime", u"300"}}},
        SequenceCase{
            "applications and sections differing only in case are one",
            {{kApp, kSection, kKeyVisible, u"1"}, {kAppLower, u"SETTINGS", kKeyVisible, u"0"}},
            {{kAppUpper, u"settings", kKeyVisible, u"0"}}},
        SequenceCase{"the same key in two sections is two entries",
                     {{kApp, kSection, kKeyVisible, u"1"}, {kApp, u"Other", kKeyVisible, u"0"}},
                     {{kApp, kSection, kKeyVisible, u"1"}, {kApp, u"Other", kKeyVisible, u"0"}}},
        SequenceCase{
            "the same key under two applications is two entries",
            {{kApp, kSection, kKeyFolda, u"mine"}, {kViewer, kSection, kKeyFolda, u"viewer's"}},
            {{kApp, kSection, kKeyFolda, u"mine"}, {kViewer, kSection, kKeyFolda, u"viewer's"}}},
        SequenceCase{"a Japanese value replaces another",
                     {{kApp, kSection, kKeyFolda, U("古い")},
                      {kApp, kSection, kKeyFolda, U("新しいフォルダ")}},
                     {{kApp, kSection, kKeyFolda, U("新しいフォルダ")}}}),
    RowName<SequenceCase>);

struct RefusedWriteCase {
  const char* name;
  Entry entry;
};
void PrintTo(const RefusedWriteCase& row, std::ostream* os) { *os << row.name; }

class SettingsRefusedWrites : public SettingsTest,
                              public ::testing::WithParamInterface<RefusedWriteCase> {};

TEST_P(SettingsRefusedWrites, ReturnFalseAndChangeNothing) {
  const std::string before = Snapshot();
  const Entry& entry = GetParam().entry;
  EXPECT_FALSE(store().WriteSetting(entry.application, entry.section, entry.key, entry.value));
  EXPECT_EQ(Snapshot(), before);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsRefusedWrites,
    ::testing::Values(RefusedWriteCase{"an empty application name",
                                       {u"", kSection, kKeyVisible, u"1"}},
                      RefusedWriteCase{"an empty section name", {kApp, u"", kKeyVisible, u"1"}},
                      RefusedWriteCase{"an empty key", {kApp, kSection, u"", u"1"}}),
    RowName<RefusedWriteCase>);

#ifdef _WIN32
// --- Registry values as they are stored ------------------------------------------------

struct RawValueCase {
  const char* name;
  DWORD type;
  std::vector<BYTE> data;
  Text expected;  // "<default>" when the value counts as absent
};
void PrintTo(const RawValueCase& row, std::ostream* os) { *os << row.name; }

std::vector<BYTE> Bytes(TextView text, bool terminated) {
  std::vector<BYTE> bytes;
  for (const char16_t c : text) {
    bytes.push_back(static_cast<BYTE>(c & 0xFF));
    bytes.push_back(static_cast<BYTE>(c >> 8));
  }
  if (terminated) bytes.insert(bytes.end(), {0, 0});
  return bytes;
}

std::vector<RawValueCase> RawValueCases() {
  std::vector<BYTE> odd = Bytes(u"abc", false);
  odd.push_back('d');
  const Text long_text(100000, u'\u30C7');
  return {
      {"a value with its terminating NUL", REG_SZ, Bytes(u"D:\\Exchange", true), u"D:\\Exchange"},
      {"a value without a terminating NUL", REG_SZ, Bytes(u"D:\\Exchange", false), u"D:\\Exchange"},
      {"a value of odd length loses the odd byte", REG_SZ, odd, u"abc"},
      {"a value without data is empty text", REG_SZ, {}, u""},
      {"a value ends at an inner NUL", REG_SZ, Bytes(Text(u"ab\0cd", 5), true), u"ab"},
      {"a Japanese value", REG_SZ, Bytes(U("D:\\データ"), true), U("D:\\データ")},
      {"a long value without a terminating NUL", REG_SZ, Bytes(long_text, false), long_text},
      {"a DWORD value counts as absent", REG_DWORD, {0xE8, 0x03, 0, 0}, u"<default>"},
      {"an expandable text counts as absent", REG_EXPAND_SZ, Bytes(u"%TEMP%", true), u"<default>"},
      {"a binary value counts as absent", REG_BINARY, {'1', 0, '0', 0}, u"<default>"},
  };
}

class SettingsRegistryValues : public SettingsTest,
                               public ::testing::WithParamInterface<RawValueCase> {};

TEST_P(SettingsRegistryValues, AreReadAsTheSettingsFunctionsStoreThem) {
  const RawValueCase& c = GetParam();
  SetRawValue(kViewer, kSection, kKeyFolda, c.type, c.data.data(),
              static_cast<DWORD>(c.data.size()));
  EXPECT_EQ(Utf8(Read({kViewer, kSection, kKeyFolda, u""})), Utf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(Settings, SettingsRegistryValues, ::testing::ValuesIn(RawValueCases()),
                         RowName<RawValueCase>);

TEST_F(SettingsTest, WritesATerminatedTextValueUnderTheSettingsKey) {
  Write({kApp, kSection, kKeyKosinTime, u"1000"});
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER,
                          L"Software\\VB and VBA Program Settings\\TavikFMTest\\Settings", 0,
                          KEY_QUERY_VALUE, &key),
            ERROR_SUCCESS);
  DWORD type = 0;
  BYTE data[64] = {};
  DWORD size = sizeof data;
  EXPECT_EQ(RegQueryValueExW(key, L"KosinTime", nullptr, &type, data, &size), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::vector<BYTE>(data, data + size), Bytes(u"1000", true));
}
#else
// --- The settings file -----------------------------------------------------------------

struct FileReadCase {
  const char* name;
  const char* content;
  Entry read;  // with the value expected
};
void PrintTo(const FileReadCase& row, std::ostream* os) { *os << row.name; }

class SettingsFileReads : public SettingsTest,
                          public ::testing::WithParamInterface<FileReadCase> {};

TEST_P(SettingsFileReads, FindTheEntry) {
  const FileReadCase& c = GetParam();
  test::WriteFile(file_, c.content);
  EXPECT_EQ(Utf8(Read(c.read)), Utf8(c.read.value));
  EXPECT_EQ(test::ReadFile(file_), std::string(c.content));
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsFileReads,
    ::testing::Values(
        FileReadCase{"an entry under its section",
                     "[TavikView\\Settings]\nFolda=D:\\Exchange\n",
                     {kViewer, kSection, kKeyFolda, u"D:\\Exchange"}},
        FileReadCase{"the last line without a line end",
                     "[TavikView\\Settings]\nFolda=D:\\",
                     {kViewer, kSection, kKeyFolda, u"D:\\"}},
        FileReadCase{"CRLF line ends",
                     "[TavikFM\\Settings]\r\nKosinTime=500\r\n",
                     {kApp, kSection, kKeyKosinTime, u"500"}},
        FileReadCase{"a byte order mark before the first section",
                     "\xEF\xBB\xBF[TavikFM\\Settings]\nVisible=1\n",
                     {kApp, kSection, kKeyVisible, u"1"}},
        FileReadCase{"comments and blank lines between entries",
                     "; settings\n\n[TavikFM\\Settings]\n# interval\n\nKosinTime=700\n",
                     {kApp, kSection, kKeyKosinTime, u"700"}},
        FileReadCase{"a key of the same name in another section is not taken",
                     "[TavikView\\Settings]\nKosinTime=1\n[TavikFM\\Settings]\nKosinTime=2\n",
                     {kApp, kSection, kKeyKosinTime, u"2"}},
        FileReadCase{"names in another case",
                     "[tavikfm\\SETTINGS]\nkosintime=900\n",
                     {kApp, kSection, kKeyKosinTime, u"900"}},
        FileReadCase{"the first of two equal keys",
                     "[TavikFM\\Settings]\nVisible=1\nVisible=0\n",
                     {kApp, kSection, kKeyVisible, u"1"}},
        FileReadCase{"a key in a repeated section",
                     "[TavikFM\\Settings]\nVisible=1\n[X\\Y]\n[TavikFM\\Settings]\nKosinTime=5\n",
                     {kApp, kSection, kKeyKosinTime, u"5"}},
        FileReadCase{"escaped characters",
                     "[TavikFM\\Settings]\nFolda=a%25b%0Ac%3D\n",
                     {kApp, kSection, kKeyFolda, u"a%b\nc="}},
        FileReadCase{"a percent sign not starting an escape stands for itself",
                     "[TavikFM\\Settings]\nFolda=100%zz%4\n",
                     {kApp, kSection, kKeyFolda, u"100%zz%4"}},
        FileReadCase{"blanks around the value belong to it",
                     "[TavikFM\\Settings]\nFolda= x \n",
                     {kApp, kSection, kKeyFolda, u" x "}},
        FileReadCase{"an entry before any section is not taken",
                     "KosinTime=5\n",
                     {kApp, kSection, kKeyKosinTime, u"<default>"}},
        FileReadCase{"a line without an equals sign is not taken",
                     "[TavikFM\\Settings]\nKosinTime\n",
                     {kApp, kSection, kKeyKosinTime, u"<default>"}},
        FileReadCase{
            "an empty file holds nothing", "", {kApp, kSection, kKeyKosinTime, u"<default>"}}),
    RowName<FileReadCase>);

struct FileWriteCase {
  const char* name;
  const char* before;  // null: no file
  Entry write;
  const char* after;
};
void PrintTo(const FileWriteCase& row, std::ostream* os) { *os << row.name; }

class SettingsFileWrites : public SettingsTest,
                           public ::testing::WithParamInterface<FileWriteCase> {};

TEST_P(SettingsFileWrites, GiveThisFile) {
  const FileWriteCase& c = GetParam();
  if (c.before != nullptr) test::WriteFile(file_, c.before);
  Write(c.write);
  EXPECT_EQ(test::ReadFile(file_), std::optional<std::string>(c.after));
  EXPECT_EQ(FolderNames(dir_.path()), std::vector<std::string>{"settings.ini"});
}

INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsFileWrites,
    ::testing::Values(
        FileWriteCase{"a first entry makes the file",
                      nullptr,
                      {kApp, kSection, kKeyKosinTime, u"1000"},
                      "[TavikFM\\Settings]\nKosinTime=1000\n"},
        FileWriteCase{"a new section is appended after a blank line",
                      "[TavikView\\Settings]\nFolda=D:\\\n",
                      {kApp, kSection, kKeyKosinTime, u"300"},
                      "[TavikView\\Settings]\nFolda=D:\\\n\n[TavikFM\\Settings]\nKosinTime=300\n"},
        FileWriteCase{
            "a new key goes after the last entry of its section",
            "[TavikFM\\Settings]\nKosinTime=300\n\n[TavikView\\Settings]\nFolda=D:\\\n",
            {kApp, kSection, kKeyVisible, u"1"},
            "[TavikFM\\Settings]\nKosinTime=300\nVisible=1\n\n[TavikView\\Settings]\nFolda=D:\\\n"},
        FileWriteCase{"an existing entry is replaced in its place",
                      "; mine\n[TavikFM\\Settings]\nKosinTime=300\nVisible=0\n",
                      {kApp, kSection, kKeyKosinTime, u"60000"},
                      "; mine\n[TavikFM\\Settings]\nKosinTime=60000\nVisible=0\n"},
        FileWriteCase{"a replaced entry keeps the spelling of its name",
                      "[TavikFM\\Settings]\nkosintime=300\n",
                      {kApp, kSection, kKeyKosinTime, u"500"},
                      "[TavikFM\\Settings]\nKosinTime=500\n"},
        FileWriteCase{"CRLF line ends become LF",
                      "[TavikFM\\Settings]\r\nVisible=0\r\n",
                      {kApp, kSection, kKeyVisible, u"1"},
                      "[TavikFM\\Settings]\nVisible=1\n"},
        FileWriteCase{"special characters are escaped",
                      nullptr,
                      {kApp, kSection, u"k=[%]", u"a%b\r\nc=[;#]"},
                      "[TavikFM\\Settings]\nk%3D%5B%25%5D=a%25b%0D%0Ac=[;#]\n"},
        FileWriteCase{"Japanese text is written as UTF-8",
                      nullptr,
                      {kApp, kSection, kKeyFolda, U("データ")},
                      "[TavikFM\\Settings]\nFolda=\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\n"},
        FileWriteCase{"a file without a final line end gets one",
                      "[TavikFM\\Settings]\nVisible=0",
                      {kApp, kSection, kKeyKosinTime, u"1000"},
                      "[TavikFM\\Settings]\nVisible=0\nKosinTime=1000\n"}),
    RowName<FileWriteCase>);

TEST_F(SettingsTest, FileWritesLeaveNoTemporaryFiles) {
  for (int i = 0; i < 20; ++i) {
    Write({kApp, kSection, kKeyKosinTime, DecimalText(300 + i)});
    Write({kViewer, kSection, kKeyFolda, Text(1000 + static_cast<std::size_t>(i), u'x')});
  }
  EXPECT_EQ(FolderNames(dir_.path()), std::vector<std::string>{"settings.ini"});
  EXPECT_EQ(Utf8(Read({kApp, kSection, kKeyKosinTime, u""})), "319");
}

TEST_F(SettingsTest, FileReadsOfAMissingFolderCreateNothing) {
  const Text path = dir_ / u"config\\tavik\\settings.ini";
  const std::unique_ptr<SettingsStore> nested = MakeFileSettingsStore(path);
  EXPECT_EQ(Utf8(nested->ReadSetting(kApp, kSection, kKeyKosinTime, u"1000")), "1000");
  EXPECT_TRUE(FolderNames(dir_.path()).empty());
}

TEST_F(SettingsTest, FileWritesCreateMissingFolders) {
  const Text path = dir_ / u"config\\tavik\\settings.ini";
  const std::unique_ptr<SettingsStore> nested = MakeFileSettingsStore(path);
  ASSERT_TRUE(nested->WriteSetting(kApp, kSection, kKeyKosinTime, u"1000"));
  EXPECT_EQ(Utf8(nested->ReadSetting(kApp, kSection, kKeyKosinTime, u"")), "1000");
  EXPECT_EQ(FolderNames(dir_ / u"config\\tavik"), std::vector<std::string>{"settings.ini"});
}

TEST_F(SettingsTest, FileWritesFailWhenTheFolderCannotBeMade) {
  test::WriteFile(dir_ / u"plain", "not a folder");
  const std::unique_ptr<SettingsStore> blocked =
      MakeFileSettingsStore(dir_ / u"plain\\settings.ini");
  EXPECT_FALSE(blocked->WriteSetting(kApp, kSection, kKeyKosinTime, u"1000"));
  EXPECT_EQ(test::ReadFile(dir_ / u"plain"), std::optional<std::string>("not a folder"));
  EXPECT_EQ(FolderNames(dir_.path()), std::vector<std::string>{"plain"});
}

TEST_F(SettingsTest, FileWritesFailInAFolderThatCannotBeWritten) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  Write({kApp, kSection, kKeyKosinTime, u"1000"});
  const std::string folder = Native(dir_.path());
  ASSERT_EQ(chmod(folder.c_str(), 0500), 0);
  const bool written = store().WriteSetting(kApp, kSection, kKeyKosinTime, u"300");
  chmod(folder.c_str(), 0700);
  EXPECT_FALSE(written);
  EXPECT_EQ(Utf8(Read({kApp, kSection, kKeyKosinTime, u""})), "1000");
  EXPECT_EQ(FolderNames(dir_.path()), std::vector<std::string>{"settings.ini"});
}

TEST_F(SettingsTest, FileWritesDoNotOverwriteAFileThatCannotBeRead) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  Write({kApp, kSection, kKeyKosinTime, u"1000"});
  const std::string file = Native(file_);
  ASSERT_EQ(chmod(file.c_str(), 0200), 0);
  const bool written = store().WriteSetting(kApp, kSection, kKeyVisible, u"1");
  // An unreadable file reads as an empty store.
  EXPECT_EQ(Utf8(Read({kApp, kSection, kKeyKosinTime, u""})), "<default>");
  chmod(file.c_str(), 0600);
  EXPECT_FALSE(written);
  EXPECT_EQ(test::ReadFile(file_),
            std::optional<std::string>("[TavikFM\\Settings]\nKosinTime=1000\n"));
}
#endif

}  // namespace
}  // namespace tavik
