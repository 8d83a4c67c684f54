#include "support/test_support.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "intake/ansi_decoder.h"
#include "patientdb/odbc.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#endif

namespace tavik::test {

std::string Sjis(const char* utf8) { return AnsiDecoder::System().Encode(FromUtf8(utf8)); }

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

#ifdef _WIN32
namespace {
std::wstring W(const Text& text) { return std::wstring(text.begin(), text.end()); }

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring full = path + L"\\" + name;
      SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}
}  // namespace

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    std::wstring candidate = std::wstring(base) + L"tavik-" + std::to_wstring(GetCurrentProcessId()) +
                             L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = Text(candidate.begin(), candidate.end());
      return;
    }
  }
}

TempDir::~TempDir() { RemoveTree(W(path_)); }

void WriteFile(const Text& path, const std::string& bytes) {
  HANDLE file = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot write " + ToUtf8(path));
  DWORD written = 0;
  ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

std::optional<std::string> ReadFile(const Text& path) {
  std::ifstream in(W(path).c_str(), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}
#else
namespace {
std::string Native(const Text& path) {
  std::string native = ToUtf8(path);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}
}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavik-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = FromUtf8(pattern);
}

TempDir::~TempDir() {
  std::error_code ignored;
  const std::string native = Native(path_);
  // Read-only files do not stop the clean-up.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(native, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(native, ignored);
}

void WriteFile(const Text& path, const std::string& bytes) {
  std::ofstream out(Native(path), std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + ToUtf8(path));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> ReadFile(const Text& path) {
  std::ifstream in(Native(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}
#endif

namespace {
odbc::Environment& TestEnvironment() {
  static odbc::Environment environment(false);
  return environment;
}
}  // namespace

void ExecSql(TextView data_source, TextView sql) {
  odbc::Connection connection(TestEnvironment(), data_source, u"", u"");
  odbc::Statement statement(connection);
  statement.ExecDirect(sql);
}

std::vector<Row> QuerySql(TextView data_source, TextView sql) {
  odbc::Connection connection(TestEnvironment(), data_source, u"", u"");
  odbc::Statement statement(connection);
  statement.ExecDirect(sql);
  std::vector<Row> rows;
  while (statement.Fetch()) {
    Row row;
    const unsigned short columns = statement.ColumnCount();
    for (unsigned short column = 1; column <= columns; ++column) row.push_back(statement.GetText(column));
    rows.push_back(std::move(row));
  }
  return rows;
}

const DataSources& TestDataSources() {
  static const DataSources sources = [] {
    DataSources s;
    s.configured = Env("TAVIK_TEST_ODBC") == "1";
    s.sqlite = u"FileMaker5";
    s.sqlite_no_file = u"FileMaker5NoFile";
    s.sqlite_no_table = u"FileMaker5NoTable";
    if (Env("TAVIK_TEST_PG") == "1") s.postgres = u"FileMaker5PG";
    return s;
  }();
  return sources;
}

void ResetPatientTable(TextView data_source) {
  try {
    ExecSql(data_source, u"DROP TABLE tavik");
  } catch (const DatabaseError&) {
    // not there yet
  }
  ExecSql(data_source,
          u"CREATE TABLE tavik (KrNo VARCHAR(4000), KrName VARCHAR(4000), PKana VARCHAR(4000), "
          u"PBDate VARCHAR(4000), PSex VARCHAR(4000), PZip VARCHAR(4000), PAddr VARCHAR(4000), "
          u"PTel VARCHAR(4000), PFax VARCHAR(4000), PInf1 VARCHAR(4000), Memo VARCHAR(4000))");
}

}  // namespace tavik::test
