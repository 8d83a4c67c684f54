// A thin owner of the ODBC handles the gateway uses. Every handle is owned
// from its allocation on and freed when its owner goes. Every SQLRETURN
// whose failure matters goes through one check that turns the diagnostics
// into a DatabaseError; the calls that may fail without harm are left
// unchecked on purpose: freeing and disconnecting in destructors, the
// pooling requests (a driver manager that cannot pool does not), and the
// cursor requests (a driver that refuses keeps its default cursor), and
// the time limits (a driver that cannot limit a wait waits as it would). Only
// the wide (W) functions are used, so Japanese text reaches the driver as
// Unicode whatever the ANSI code page.
#pragma once

#include <optional>
#include <string_view>

#include "common/text.h"
#include "intake/patient_store.h"

namespace tavik {

namespace odbc {

class Environment;
class Connection;

// How long the program waits for the database (docs/contracts.md), so that a data source that
// stops answering or a table another user holds locked does not freeze the
// program for longer: a connection not made within kLoginTimeoutSeconds
// fails, and so does a statement not done within kQueryTimeoutSeconds.
inline constexpr unsigned long kLoginTimeoutSeconds = 10;
inline constexpr unsigned long kQueryTimeoutSeconds = 10;

// One ODBC handle, allocated by the constructor (which throws a
// DatabaseError at `stage` when the driver manager refuses) and freed by
// the destructor.
class OwnedHandle {
 public:
  OwnedHandle(short type, void* parent, DatabaseStage stage, const char* operation);
  ~OwnedHandle();
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  void* get() const { return handle_; }

 private:
  short type_;
  void* handle_ = nullptr;
};

// Answers chosen statement calls in the driver's place, so that tests meet
// answers that no driver at hand gives (a refused cursor, say), as a
// platform layer's calls are replaced to put faults in. The program runs
// without one.
class DriverFaults {
 public:
  virtual ~DriverFaults() = default;
  // The return code to use instead of making the call named `operation`
  // ("SQLSetConnectAttr(LOGIN_TIMEOUT)", "SQLSetStmtAttr(QUERY_TIMEOUT)",
  // "SQLSetStmtAttr(CURSOR_TYPE)", "SQLExecDirectW", ...), or nullopt to
  // make the call.
  virtual std::optional<short> Answer(std::string_view operation) = 0;
};

// One result set, or one statement to execute, within the query time-out.
class Statement {
 public:
  explicit Statement(Connection& connection);
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;

  // Asks for a static, read-only cursor for the statement executed next.
  // A driver may give another one in its place; one that refuses leaves
  // the statement with its default cursor, forward-only and read-only.
  void RequestStaticReadOnlyCursor();
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
  // Every driver call of a statement: answered by the faults when they
  // say so, otherwise made; CallDriverChecked also raises every answer but
  // success and SQL_NO_DATA.
  template <typename Call>
  short CallDriver(const char* operation, Call call);
  template <typename Call>
  short CallDriverChecked(const char* operation, Call call);
  short SetAttribute(const char* operation, int attribute, unsigned long value);

  DriverFaults* faults_;
  OwnedHandle handle_;
};

class Connection {
 public:
  // Connects to a data source by name with the given user name and
  // password (the gateway gives both empty), within the login time-out.
  Connection(Environment& environment, TextView data_source, TextView user, TextView password);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  void* handle() const { return handle_.get(); }
  DriverFaults* faults() const { return faults_; }

 private:
  DriverFaults* faults_;
  OwnedHandle handle_;
};

class Environment {
 public:
  // pooling: ask the driver manager to keep closed connections for reuse
  // (one pool per driver). Connections are still opened and closed per
  // operation by the program.
  // faults: see DriverFaults; null in the program.
  explicit Environment(bool pooling, DriverFaults* faults = nullptr);
  Environment(const Environment&) = delete;
  Environment& operator=(const Environment&) = delete;
  void* handle() const { return handle_.get(); }
  DriverFaults* faults() const { return faults_; }

 private:
  static bool RequestPooling(bool pooling);

  bool pooling_;  // before the handle: pooling is asked for first
  DriverFaults* faults_;
  OwnedHandle handle_;
};

}  // namespace odbc
}  // namespace tavik
