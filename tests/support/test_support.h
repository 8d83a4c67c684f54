// Helpers shared by the core tests, natively and under Wine.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "common/text.h"

namespace tavik::test {

inline Text U(const char* utf8) { return FromUtf8(utf8); }

// A row's sentence as a test name: letters and digits kept, the rest "_".
inline std::string CaseName(const char* sentence) {
  std::string name;
  for (const char* p = sentence; *p != '\0'; ++p) {
    const char c = *p;
    const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    name.push_back(keep ? c : '_');
  }
  return name;
}

// Names the rows of a parameterised test after their `name` member.
template <typename Row>
std::string RowName(const ::testing::TestParamInfo<Row>& info) {
  return CaseName(info.param.name);
}
inline std::string Utf8(TextView text) { return ToUtf8(text); }

// The code page 932 bytes of a UTF-8 literal, as the viewer writes them.
std::string Sjis(const char* utf8);

// An environment variable, empty when unset.
std::string Env(const char* name);

// A fresh folder under the temporary folder, removed with its files.
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

void WriteFile(const Text& path, const std::string& bytes);
std::optional<std::string> ReadFile(const Text& path);

// Direct SQL on a data source, for arranging and checking the table.
void ExecSql(TextView data_source, TextView sql);
using Row = std::vector<std::optional<Text>>;
std::vector<Row> QuerySql(TextView data_source, TextView sql);

// The data sources the test command defines (see tools/odbc-test-env.sh).
struct DataSources {
  Text sqlite;          // "FileMaker5" on a SQLite file with the table
  Text sqlite_no_file;  // a SQLite data source whose file does not exist
  Text sqlite_no_table; // a SQLite file without the table
  Text postgres;        // PostgreSQL on loopback; empty when not running
  bool configured = false;
};
const DataSources& TestDataSources();

// Creates the table `tavik` (dropping an earlier one) with the program's
// columns and one more, Memo, that the program never touches.
void ResetPatientTable(TextView data_source);

}  // namespace tavik::test
