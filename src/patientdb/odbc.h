// A thin owner of the ODBC handles the gateway uses. Every handle is owned
// by one object and freed by its destructor; every SQLRETURN goes through
// one check that turns the diagnostics into a DatabaseError. Only the wide
// (W) functions are used, so Japanese text reaches the driver as Unicode
// whatever the ANSI code page.
#pragma once

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "common/text.h"

namespace tavik {

// Where an ODBC operation failed: at the connection (data source missing,
// driver or database not answering) or at a statement on a live connection.
enum class DatabaseStage { Connect, Statement };

class DatabaseError : public std::runtime_error {
 public:
  DatabaseError(DatabaseStage stage, std::string operation, std::string sqlstate, long native,
                Text message);
  DatabaseStage stage() const { return stage_; }
  const std::string& operation() const { return operation_; }
  const std::string& sqlstate() const { return sqlstate_; }  // e.g. "IM002"
  long native() const { return native_; }
  const Text& message() const { return message_; }  // the driver's own words

 private:
  DatabaseStage stage_;
  std::string operation_;
  std::string sqlstate_;
  long native_;
  Text message_;
};

namespace odbc {

class Environment;
class Connection;

// unixODBC hands wide strings to ANSI-only drivers (Debian's SQLite3
// driver is one) converted through the codeset of the process's LC_CTYPE,
// which is ASCII until the program picks a locale. Native programs call
// this once at start so that Japanese text survives; on Windows and under
// Wine it does nothing.
void UseUtf8Locale();

// unixODBC 2.3.11 narrows the wide text of the first connection a process
// makes to an ANSI-only driver unit by unit (each UTF-16 unit cut to its
// low byte); later connections convert properly. Tools and tests that
// arrange tables with Japanese text open and drop one connection first.
void OpenAndDropFirstConnection(Environment& environment, TextView data_source);

// One result set, or one statement to execute.
class Statement {
 public:
  explicit Statement(Connection& connection);
  ~Statement();
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // A static, read-only cursor for the statement executed next.
  void UseStaticReadOnlyCursor();
  // Runs the text, passed with its length: a NUL inside it does not end it.
  void ExecDirect(TextView sql);
  // Moves to the next row; false when there is none.
  bool Fetch();
  // Number of columns of the result.
  unsigned short ColumnCount();
  // 1-based number of the result column named `name` (compared without
  // regard to ASCII case, as databases fold unquoted names); 0 when absent.
  unsigned short FindColumn(TextView name);
  // Text of a column of the current row; nullopt when it is NULL.
  std::optional<Text> GetText(unsigned short column);

 private:
  void* handle_ = nullptr;
};

class Connection {
 public:
  // Connects to a data source by name with the given user name and
  // password (the gateway gives both empty).
  Connection(Environment& environment, TextView data_source, TextView user, TextView password);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  void* handle() const { return handle_; }

 private:
  void* handle_ = nullptr;
  bool connected_ = false;
};

class Environment {
 public:
  // pooling: ask the driver manager to keep closed connections for reuse
  // (one pool per driver). Connections are still opened and closed per
  // operation by the program.
  explicit Environment(bool pooling);
  ~Environment();
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;
  void* handle() const { return handle_; }
  bool pooling() const { return pooling_; }

 private:
  void* handle_ = nullptr;
  bool pooling_ = false;
};

}  // namespace odbc
}  // namespace tavik
