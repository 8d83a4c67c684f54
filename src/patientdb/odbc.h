// A thin owner of the ODBC handles the gateway uses. Every handle is owned
// by one object and freed by its destructor; every SQLRETURN goes through
// one check that turns the diagnostics into a DatabaseError. Only the wide
// (W) functions are used, so Japanese text reaches the driver as Unicode
// whatever the ANSI code page.
#pragma once

#include <optional>

#include "common/text.h"
#include "patientdb/patient_store.h"

namespace tavik {

namespace odbc {

class Environment;
class Connection;

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
