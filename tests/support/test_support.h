// What the test programs share: text, waits, files, settings, the patient table.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/text.h"
#include "patientdb/odbc.h"
#include "settings/settings_store.h"

namespace tavik::test {

inline Text U(const char* utf8) { return FromUtf8(utf8); }
inline std::string Utf8(TextView text) { return ToUtf8(text); }

// Names the rows of a parameterised test after their `name`, a sentence.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  std::string name = info.param.name;
  for (char& c : name) c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
  return name;
}

// The code page 932 bytes of a UTF-8 literal, as the viewer writes them.
std::string Sjis(const char* utf8);

inline constexpr int kWaitBoundSeconds = 30;  // far beyond any awaited behaviour on a loaded machine

// Waits until `done` holds, dispatching the thread's messages on Windows;
// after kWaitBoundSeconds fails the test, naming `what`, and returns false.
bool WaitUntil(const char* what, const std::function<bool()>& done);
// The same with a bound of `seconds` and no failure: for clean-up.
bool WaitUpTo(double seconds, const std::function<bool()>& done);

// A fresh folder under the temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const Text& path() const { return path_; }
  Text operator/(TextView name) const { return JoinPath(path_, name); }

 private:
  Text path_;
};

// Paths joined with "\" as the program joins them; hidden on POSIX: a leading ".".
void MakeFolder(const Text& path);
void WriteFile(const Text& path, const std::string& bytes);
std::optional<std::string> ReadFile(const Text& path);
bool PathExists(const Text& path);
void MakeReadOnly(const Text& path);
void MakeHidden(const Text& path);
std::vector<std::string> FolderNames(const Text& folder);  // sorted

#ifdef _WIN32
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>, gone.
void DeleteRegistryApplication(TextView application);
#endif

// Settings in memory, names compared without regard to ASCII case.
class MemorySettingsStore final : public SettingsStore {
 public:
  Text ReadSetting(TextView application, TextView section, TextView key, TextView default_value) override;
  bool WriteSetting(TextView application, TextView section, TextView key, TextView value) override;
  std::optional<Text> Stored(TextView application, TextView key) const;  // under "Settings"
  bool fail_writes = false;                                              // WriteSetting stores nothing and fails
  bool throw_writes = false;                                             // WriteSetting throws, as out of memory

 private:
  static Text Name(TextView application, TextView section, TextView key);
  std::map<Text, Text> entries_;
};

// The data sources tools/odbc-test-env.sh defines.
inline constexpr TextView kSqliteSource = u"FileMaker5";
inline constexpr TextView kSqliteNoTableSource = u"FileMaker5NoTable";  // without the table
inline constexpr TextView kPostgresSource = u"FileMaker5PG";            // on loopback
inline constexpr TextView kSilentSource = u"FileMaker5Silent";          // a SilentServer's port

// A server on TAVIK_SILENT_PORT that accepts nothing; throws if it cannot listen.
class SilentServer {
 public:
  SilentServer();
  ~SilentServer();

 private:
  std::intptr_t socket_ = -1;
};

void PrepareTestOdbc();  // once a process, before any connection
void ExecSql(TextView data_source, TextView sql);

// Creates `tavik` anew with the program's columns and Memo, which the
// program never touches (over the caller's connection for one adding an index).
void ResetPatientTable(TextView data_source);
void ResetPatientTable(odbc::Connection& connection);
// Holds `tavik` locked (PostgreSQL) in a transaction while the connection lasts.
std::shared_ptr<odbc::Connection> LockPatientTable(TextView data_source);
// Its rows as "KrNo|KrName|...|PInf1|Memo", NULL as "<null>", sorted.
std::vector<std::string> PatientRows(TextView data_source);

}  // namespace tavik::test
