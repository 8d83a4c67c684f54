#include "support/test_support.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>
#include <random>
#include <sstream>
#include <stdexcept>

#include "patient_file_writer.h"

#ifdef _WIN32
#include <winsock2.h>
// after winsock2.h
#include <windows.h>

#include "common/wide_text_win32.h"
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <clocale>
#include <thread>

#include "common/native_path_posix.h"
#endif

#if defined(__SANITIZE_ADDRESS__)
// unixODBC 2.3.11 leaks an iconv converter per connection to an ANSI driver
// (the test platform's, not the program's); libodbc has no frame pointers.
extern "C" const char* __asan_default_options() { return "fast_unwind_on_malloc=0"; }
extern "C" const char* __lsan_default_suppressions() { return "leak:libodbc.so\n"; }
extern "C" const char* __lsan_default_options() { return "print_suppressions=0"; }
#endif

namespace tavik::test {

namespace {

namespace fs = std::filesystem;

// The program joins paths with "\"; the portable build takes "/" for it.
fs::path Native(const Text& path) {
#ifdef _WIN32
  return fs::path(path);
#else
  return fs::path(NativePath(path));
#endif
}

std::unique_ptr<odbc::Connection> Connect(TextView data_source) {
  static odbc::Environment environment(false);
  return std::make_unique<odbc::Connection>(environment, data_source, u"", u"");
}

}  // namespace

std::string Sjis(const char* utf8) { return viewer::EncodeAnsi(FromUtf8(utf8)); }

bool WaitUpTo(double seconds, const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
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
  }
  return true;
}

bool WaitUntil(const char* what, const std::function<bool()>& done) {
  if (WaitUpTo(kWaitBoundSeconds, done)) return true;
  ADD_FAILURE() << "waited " << kWaitBoundSeconds << " s for " << what << " in vain";
  return false;
}

TempDir::TempDir()
    : path_((fs::temp_directory_path() / ("tavik-" + std::to_string(std::random_device()()))).u16string()) {
  fs::create_directory(Native(path_));
}

TempDir::~TempDir() {
  std::error_code ignored;  // read-only files do not stop the clean-up
  for (const auto& entry : fs::recursive_directory_iterator(Native(path_), ignored)) {
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
  }
  fs::remove_all(Native(path_), ignored);
}

void MakeFolder(const Text& path) { fs::create_directory(Native(path)); }

void MakeReadOnly(const Text& path) { fs::permissions(Native(path), fs::perms::owner_read); }

void MakeHidden([[maybe_unused]] const Text& path) {
#ifdef _WIN32
  SetFileAttributesW(WideCStr(path), GetFileAttributesW(WideCStr(path)) | FILE_ATTRIBUTE_HIDDEN);
#endif
}

bool PathExists(const Text& path) {
  std::error_code ignored;
  return fs::exists(fs::symlink_status(Native(path), ignored));
}

std::vector<std::string> FolderNames(const Text& folder) {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(Native(folder), ignored)) {
    names.push_back(entry.path().filename().u8string());
  }
  std::sort(names.begin(), names.end());
  return names;
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

#ifdef _WIN32
void DeleteRegistryApplication(TextView application) {
  RegDeleteTreeW(HKEY_CURRENT_USER, WideCStr(u"Software\\VB and VBA Program Settings\\" + Text(application)));
}
#endif

Text MemorySettingsStore::Name(TextView application, TextView section, TextView key) {
  Text name = Text(application) + u'\\' + Text(section) + u'\\' + Text(key);
  for (char16_t& c : name) c = AsciiUpper(c);
  return name;
}

Text MemorySettingsStore::ReadSetting(TextView application, TextView section, TextView key, TextView default_value) {
  const auto found = entries_.find(Name(application, section, key));
  return found != entries_.end() ? found->second : Text(default_value);
}

bool MemorySettingsStore::WriteSetting(TextView application, TextView section, TextView key, TextView value) {
  if (throw_writes) throw std::bad_alloc();
  if (fail_writes) return false;
  entries_[Name(application, section, key)] = Text(value);
  return true;
}

std::optional<Text> MemorySettingsStore::Stored(TextView application, TextView key) const {
  const auto found = entries_.find(Name(application, kSettingsSection, key));
  return found != entries_.end() ? std::optional<Text>(found->second) : std::nullopt;
}

void PrepareTestOdbc() {
  [[maybe_unused]] static const bool prepared = [] {
#ifndef _WIN32
    // unixODBC converts wide text for the ANSI SQLite3 driver through LC_CTYPE.
    if (std::setlocale(LC_CTYPE, "C.UTF-8") == nullptr) std::setlocale(LC_CTYPE, "");
#endif
    // unixODBC 2.3.11 cuts the text of the first connection to its low bytes.
    try {
      Connect(kSqliteSource);
    } catch (const DatabaseError&) {
      // Reported by the test that needs the data source.
    }
    return true;
  }();
}

SilentServer::SilentServer() {
#ifdef _WIN32
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
#endif
  const char* port = std::getenv("TAVIK_SILENT_PORT");
  const auto listener = socket(AF_INET, SOCK_STREAM, 0);
  socket_ = static_cast<std::intptr_t>(listener);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<unsigned short>(port != nullptr ? std::atoi(port) : 0));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (port == nullptr || bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      listen(listener, 8) != 0) {
    throw std::runtime_error("cannot listen on TAVIK_SILENT_PORT");
  }
}

SilentServer::~SilentServer() {
#ifdef _WIN32
  if (socket_ != -1) closesocket(static_cast<SOCKET>(socket_));
  WSACleanup();
#else
  if (socket_ != -1) close(static_cast<int>(socket_));
#endif
}

std::shared_ptr<odbc::Connection> LockPatientTable(TextView data_source) {
  auto connection = Connect(data_source);
  odbc::Statement(*connection).ExecDirect(u"BEGIN");
  odbc::Statement(*connection).ExecDirect(u"LOCK TABLE tavik IN ACCESS EXCLUSIVE MODE");
  // Rolled back before it goes: a connection left in a transaction keeps the lock.
  return std::shared_ptr<odbc::Connection>(connection.release(), [](odbc::Connection* held) {
    try {
      odbc::Statement(*held).ExecDirect(u"ROLLBACK");
    } catch (const DatabaseError&) {
      // the connection is gone: so is its lock
    }
    delete held;
  });
}

void ExecSql(TextView data_source, TextView sql) { odbc::Statement(*Connect(data_source)).ExecDirect(sql); }

void ResetPatientTable(TextView data_source) { ResetPatientTable(*Connect(data_source)); }

void ResetPatientTable(odbc::Connection& connection) {
  try {
    odbc::Statement(connection).ExecDirect(u"DROP TABLE tavik");
  } catch (const DatabaseError&) {
    // not there yet
  }
  odbc::Statement(connection)
      .ExecDirect(
          u"CREATE TABLE tavik (KrNo VARCHAR(4000), KrName VARCHAR(4000), PKana VARCHAR(4000), "
          u"PBDate VARCHAR(4000), PSex VARCHAR(4000), PZip VARCHAR(4000), PAddr VARCHAR(4000), "
          u"PTel VARCHAR(4000), PFax VARCHAR(4000), PInf1 VARCHAR(4000), Memo VARCHAR(4000))");
}

std::vector<std::string> PatientRows(TextView data_source) {
  const auto connection = Connect(data_source);
  odbc::Statement statement(*connection);
  statement.ExecDirect(u"SELECT KrNo, KrName, PKana, PBDate, PSex, PZip, PAddr, PTel, PFax, PInf1, Memo FROM tavik");
  std::vector<std::string> rows;
  while (statement.Fetch()) {
    std::string line;
    for (unsigned short column = 1; column <= 11; ++column) {
      const std::optional<Text> value = statement.GetText(column);
      line += (column > 1 ? "|" : "") + (value ? ToUtf8(*value) : "<null>");
    }
    rows.push_back(line);
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

}  // namespace tavik::test
