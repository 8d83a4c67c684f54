#include "support/test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "intake/ansi_decoder.h"
#include "patientdb/odbc.h"

#ifdef _WIN32
#include <windows.h>

#include "common/wide_text_win32.h"
#else
#include <clocale>
#include <filesystem>
#include <thread>
#endif

namespace tavik::test {

std::string Sjis(const char* utf8) { return AnsiDecoder::System().Encode(FromUtf8(utf8)); }

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

void WaitUntil(const char* what, const std::function<bool()>& done) {
  auto next_note = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
#ifdef _WIN32
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
#else
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
#endif
    if (std::chrono::steady_clock::now() > next_note) {
      std::fprintf(stderr, "still waiting for %s\n", what);
      next_note += std::chrono::seconds(10);
    }
  }
}

#ifdef _WIN32

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    const std::wstring candidate = std::wstring(base) + L"tavik-" + std::to_wstring(GetCurrentProcessId()) +
                                   L"-" + std::to_wstring(++counter);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = TextFromWide(candidate);
      return;
    }
  }
}

void RemoveTree(const Text& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(WideCStr(path + u"\\*"), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const Text name = TextFromWide(data.cFileName);
      if (name == u"." || name == u"..") continue;
      const Text full = path + u"\\" + name;
      SetFileAttributesW(WideCStr(full), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        DeleteFileW(WideCStr(full));
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(WideCStr(path));
}

void MakeFolder(const Text& path) { CreateDirectoryW(WideCStr(path), nullptr); }

void MakeReadOnly(const Text& path) { SetFileAttributesW(WideCStr(path), FILE_ATTRIBUTE_READONLY); }

void MakeHidden(const Text& path) { SetFileAttributesW(WideCStr(path), FILE_ATTRIBUTE_HIDDEN); }

bool PathExists(const Text& path) { return GetFileAttributesW(WideCStr(path)) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> FolderNames(const Text& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(WideCStr(folder + u"\\*"), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    const Text name = TextFromWide(data.cFileName);
    if (name != u"." && name != u"..") names.push_back(ToUtf8(name));
  } while (FindNextFileW(find, &data));
  FindClose(find);
  std::sort(names.begin(), names.end());
  return names;
}

namespace {
std::wstring NativePath(const Text& path) { return ToWideString(path); }
}  // namespace

#else

namespace {
std::string NativePath(const Text& path) {
  std::string native = ToUtf8(path);
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}
}  // namespace

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "tavik-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = FromUtf8(pattern);
}

void RemoveTree(const Text& path) {
  std::error_code ignored;
  const std::string native = NativePath(path);
  // Read-only files and folders do not stop the clean-up.
  for (const auto& entry : std::filesystem::recursive_directory_iterator(native, ignored)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(native, ignored);
}

void MakeFolder(const Text& path) { std::filesystem::create_directory(NativePath(path)); }

void MakeReadOnly(const Text& path) {
  std::filesystem::permissions(NativePath(path), std::filesystem::perms::owner_read | std::filesystem::perms::group_read);
}

void MakeHidden(const Text&) {}

bool PathExists(const Text& path) {
  std::error_code ignored;
  return std::filesystem::exists(std::filesystem::symlink_status(NativePath(path), ignored));
}

std::vector<std::string> FolderNames(const Text& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator(NativePath(folder), ignored)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

#endif

TempDir::~TempDir() { RemoveTree(path_); }

void WriteFile(const Text& path, const std::string& bytes) {
  std::ofstream out(NativePath(path).c_str(), std::ios::binary | std::ios::trunc);
  if (!out) throw std::runtime_error("cannot write " + ToUtf8(path));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<std::string> ReadFile(const Text& path) {
  std::ifstream in(NativePath(path).c_str(), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

Text MemorySettingsStore::Name(TextView application, TextView section, TextView key) {
  Text name;
  for (TextView part : {application, section, key}) {
    for (const char16_t c : part) name.push_back(AsciiUpper(c));
    name.push_back(u'\\');
  }
  return name;
}

Text MemorySettingsStore::ReadSetting(TextView application, TextView section, TextView key,
                                      TextView default_value) {
  const auto found = entries_.find(Name(application, section, key));
  return found != entries_.end() ? found->second : Text(default_value);
}

bool MemorySettingsStore::WriteSetting(TextView application, TextView section, TextView key, TextView value) {
  ++writes;
  if (fail_writes) return false;
  entries_[Name(application, section, key)] = Text(value);
  return true;
}

std::optional<Text> MemorySettingsStore::Stored(TextView application, TextView key) const {
  const auto found = entries_.find(Name(application, kSettingsSection, key));
  if (found == entries_.end()) return std::nullopt;
  return found->second;
}

namespace {

odbc::Environment& TestEnvironment() {
  static odbc::Environment environment(false);
  return environment;
}

}  // namespace

void PrepareTestOdbc() {
  static const bool prepared = [] {
#ifndef _WIN32
    // Debian's SQLite3 driver takes ANSI text only; unixODBC converts the
    // wide text for it through the codeset of LC_CTYPE, which must be
    // UTF-8 for Japanese text to survive. (Wine's Japanese locale does this
    // for the Windows build.)
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::setlocale(LC_CTYPE, "");
#endif
    // unixODBC 2.3.11 narrows the wide text of a process's first connection
    // to an ANSI-only driver unit by unit (each UTF-16 unit cut to its low
    // byte); later connections convert properly. One connection is opened
    // and dropped first so that the tests' Japanese text arrives intact.
    try {
      odbc::Connection first(TestEnvironment(), kSqliteSource, u"", u"");
    } catch (const DatabaseError&) {
      // Reported by the test that needs the data source.
    }
    return true;
  }();
  (void)prepared;
}

void ExecSql(TextView data_source, TextView sql) {
  PrepareTestOdbc();
  odbc::Connection connection(TestEnvironment(), data_source, u"", u"");
  odbc::Statement statement(connection);
  statement.ExecDirect(sql);
}

std::vector<Row> QuerySql(TextView data_source, TextView sql) {
  PrepareTestOdbc();
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

std::vector<std::string> PatientRows(TextView data_source) {
  std::vector<std::string> rows;
  for (const Row& row : QuerySql(data_source,
                                 u"SELECT KrNo, KrName, PKana, PBDate, PSex, PZip, PAddr, PTel, PFax, PInf1, "
                                 u"Memo FROM tavik")) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) line += '|';
      line += row[i] ? ToUtf8(*row[i]) : "<null>";
    }
    rows.push_back(line);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace tavik::test
