// What the test programs share: text helpers, temporary folders and files,
// waiting for a condition, an in-memory settings store, and the patient
// table behind the test data sources.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "common/text.h"
#include "settings/settings_store.h"

namespace tavik::test {

inline Text U(const char* utf8) { return FromUtf8(utf8); }
inline std::string Utf8(TextView text) { return ToUtf8(text); }

// Names the rows of a parameterised test after their `name` member (a
// sentence): letters and digits kept, the rest "_".
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  std::string name;
  for (const char* p = info.param.name; *p != '\0'; ++p) {
    const char c = *p;
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    name.push_back(keep ? c : '_');
  }
  return name;
}

// The code page 932 bytes of a UTF-8 literal, as the viewer writes them.
std::string Sjis(const char* utf8);

// Waits until `done` holds. On Windows the messages of the calling thread
// are dispatched meanwhile, so windows of the test's own thread go on
// working. There is no time limit (the test runner's timeout is the one
// limit); every ten seconds the wait prints what it is waiting for.
void WaitUntil(const char* what, const std::function<bool()>& done);

// A fresh folder under the temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const Text& path() const { return path_; }
  Text operator/(TextView name) const { return path_ + u"\\" + Text(name); }

 private:
  Text path_;
};

// Paths are joined with "\" as the program joins them. Read-only and hidden
// as the platform marks them (a hidden name starts with "." on POSIX).
void RemoveTree(const Text& path);
void MakeFolder(const Text& path);
void WriteFile(const Text& path, const std::string& bytes);
std::optional<std::string> ReadFile(const Text& path);
bool PathExists(const Text& path);
void MakeReadOnly(const Text& path);
void MakeHidden(const Text& path);
// The names in a folder, sorted; hidden entries included.
std::vector<std::string> FolderNames(const Text& folder);

#ifdef _WIN32
// Removes HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>
// with all it holds.
void DeleteRegistryApplication(TextView application);
#endif

// Settings kept in memory, with the registry's contract: names compared
// without regard to ASCII case, reads create nothing.
class MemorySettingsStore final : public SettingsStore {
 public:
  Text ReadSetting(TextView application, TextView section, TextView key, TextView default_value) override;
  bool WriteSetting(TextView application, TextView section, TextView key, TextView value) override;
  // The stored text of a key under section "Settings"; nullopt when absent.
  std::optional<Text> Stored(TextView application, TextView key) const;
  bool fail_writes = false;  // WriteSetting fails and stores nothing

 private:
  static Text Name(TextView application, TextView section, TextView key);
  std::map<Text, Text> entries_;
};

// The data sources the test command defines (tools/odbc-test-env.sh).
inline constexpr TextView kSqliteSource = u"FileMaker5";          // SQLite file with the table
inline constexpr TextView kSqliteNoFileSource = u"FileMaker5NoFile";  // its file does not exist
inline constexpr TextView kSqliteNoTableSource = u"FileMaker5NoTable";  // a file without the table
inline constexpr TextView kPostgresSource = u"FileMaker5PG";      // PostgreSQL on loopback

// Prepares ODBC on the test platform once per process (see
// test_support.cpp). Tests that need a database fail without the data
// sources: the test command always defines them.
void PrepareTestOdbc();

// Direct SQL on a data source, for arranging the table.
void ExecSql(TextView data_source, TextView sql);

// Creates the table `tavik` anew (dropping an earlier one) with the
// program's columns and one more, Memo, that the program never touches.
void ResetPatientTable(TextView data_source);

// The rows of `tavik` as "KrNo|KrName|PKana|PBDate|PSex|PZip|PAddr|PTel|
// PFax|PInf1|Memo" in UTF-8, NULL shown as "<null>", sorted.
std::vector<std::string> PatientRows(TextView data_source);

}  // namespace tavik::test
