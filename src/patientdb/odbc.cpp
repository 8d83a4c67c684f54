#include "patientdb/odbc.h"

#include <algorithm>
#include <utility>

#include "patientdb/odbc_api.h"

namespace tavik {

namespace odbc {
namespace {

const SQLWCHAR* Wide(TextView text) {
  static const char16_t kEmpty[] = u"";
  return reinterpret_cast<const SQLWCHAR*>(text.empty() ? kEmpty : text.data());
}

SQLSMALLINT SmallLength(TextView text) { return static_cast<SQLSMALLINT>(text.size()); }

// The one place that turns a failed SQLRETURN into an error: success
// passes, anything else becomes a DatabaseError carrying the first
// diagnostic record (on a handle that was never allocated there is none).
void Check(SQLRETURN rc, SQLSMALLINT handle_type, SQLHANDLE handle, DatabaseStage stage, const char* operation) {
  if (SQL_SUCCEEDED(rc)) return;
  SQLWCHAR state[6] = {};
  SQLINTEGER native = 0;
  SQLWCHAR text[1024] = {};  // a longer message is cut, still terminated
  std::string sqlstate = "HY000";
  Text message;
  if (SQL_SUCCEEDED(SQLGetDiagRecW(handle_type, handle, 1, state, &native, text, 1024, nullptr))) {
    sqlstate.assign(state, state + 5);
    message = reinterpret_cast<const char16_t*>(text);
  }
  if (message.empty()) message = u"ODBC call returned " + DecimalText(rc);
  throw DatabaseError(stage, operation, std::move(sqlstate), native, std::move(message));
}

// The type of the handle a handle of `type` is allocated under (an
// environment has none: its diagnostics are asked of a null handle).
SQLSMALLINT ParentTypeOf(SQLSMALLINT type) { return type == SQL_HANDLE_STMT ? SQL_HANDLE_DBC : SQL_HANDLE_ENV; }

// A driver call, unless the faults answer it in the driver's place.
template <typename Call>
SQLRETURN CallOrAnswer(DriverFaults* faults, const char* operation, Call call) {
  if (faults != nullptr) {
    if (const std::optional<short> answer = faults->Answer(operation)) return *answer;
  }
  return call();
}

// ODBC passes a whole-number attribute in the pointer argument.
SQLPOINTER AttributeValue(unsigned long value) {
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  return reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(value));
}

}  // namespace

OwnedHandle::OwnedHandle(short type, void* parent, DatabaseStage stage, const char* operation) : type_(type) {
  SQLHANDLE handle = SQL_NULL_HANDLE;
  // A refused allocation leaves no handle; its diagnostics are the parent's.
  Check(SQLAllocHandle(type, parent, &handle), ParentTypeOf(type), parent, stage, operation);
  handle_ = handle;
}

OwnedHandle::~OwnedHandle() { SQLFreeHandle(type_, handle_); }

// Connection pooling (docs/contracts.md) is a setting of the process and must come before
// the environment is allocated. A driver manager that cannot pool simply
// does not.
bool Environment::RequestPooling(bool pooling) {
  return pooling && SQL_SUCCEEDED(SQLSetEnvAttr(SQL_NULL_HANDLE, SQL_ATTR_CONNECTION_POOLING,
                                                reinterpret_cast<SQLPOINTER>(SQL_CP_ONE_PER_DRIVER), SQL_IS_UINTEGER));
}

Environment::Environment(bool pooling, DriverFaults* faults)
    : pooling_(RequestPooling(pooling)),
      faults_(faults),
      handle_(SQL_HANDLE_ENV, SQL_NULL_HANDLE, DatabaseStage::Connect, "SQLAllocHandle(ENV)") {
  Check(SQLSetEnvAttr(handle(), SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0), SQL_HANDLE_ENV,
        handle(), DatabaseStage::Connect, "SQLSetEnvAttr(ODBC_VERSION)");
  // How a pooled connection is matched; only some driver managers read it.
  if (pooling_) SQLSetEnvAttr(handle(), SQL_ATTR_CP_MATCH, reinterpret_cast<SQLPOINTER>(SQL_CP_RELAXED_MATCH), 0);
}

Connection::Connection(Environment& environment, TextView data_source, TextView user, TextView password)
    : faults_(environment.faults()),
      handle_(SQL_HANDLE_DBC, environment.handle(), DatabaseStage::Connect, "SQLAllocHandle(DBC)") {
  CallOrAnswer(faults_, "SQLSetConnectAttr(LOGIN_TIMEOUT)", [&] {
    return SQLSetConnectAttr(handle(), SQL_ATTR_LOGIN_TIMEOUT, AttributeValue(kLoginTimeoutSeconds), SQL_IS_UINTEGER);
  });
  Check(SQLConnectW(handle(), const_cast<SQLWCHAR*>(Wide(data_source)), SmallLength(data_source),
                    const_cast<SQLWCHAR*>(Wide(user)), SmallLength(user), const_cast<SQLWCHAR*>(Wide(password)),
                    SmallLength(password)),
        SQL_HANDLE_DBC, handle(), DatabaseStage::Connect, "SQLConnectW");
}

// Only a connection that was made has a destructor to run.
Connection::~Connection() { SQLDisconnect(handle()); }

Statement::Statement(Connection& connection)
    : faults_(connection.faults()),
      handle_(SQL_HANDLE_STMT, connection.handle(), DatabaseStage::Statement, "SQLAllocHandle(STMT)") {
  SetAttribute("SQLSetStmtAttr(QUERY_TIMEOUT)", SQL_ATTR_QUERY_TIMEOUT, kQueryTimeoutSeconds);
}

template <typename Call>
short Statement::CallDriver(const char* operation, Call call) {
  return CallOrAnswer(faults_, operation, call);
}

template <typename Call>
short Statement::CallDriverChecked(const char* operation, Call call) {
  const SQLRETURN rc = CallDriver(operation, call);
  if (rc != SQL_NO_DATA) Check(rc, SQL_HANDLE_STMT, handle_.get(), DatabaseStage::Statement, operation);
  return rc;
}

short Statement::SetAttribute(const char* operation, int attribute, unsigned long value) {
  return CallDriver(operation, [&] { return SQLSetStmtAttr(handle_.get(), attribute, AttributeValue(value), 0); });
}

void Statement::RequestStaticReadOnlyCursor() {
  // A driver may put another cursor in place (SQL_SUCCESS_WITH_INFO) or
  // refuse either request; the statement then keeps what it has, its
  // default being forward-only and read-only.
  if (SQL_SUCCEEDED(SetAttribute("SQLSetStmtAttr(CURSOR_TYPE)", SQL_ATTR_CURSOR_TYPE, SQL_CURSOR_STATIC))) {
    SetAttribute("SQLSetStmtAttr(CONCURRENCY)", SQL_ATTR_CONCURRENCY, SQL_CONCUR_READ_ONLY);
  }
}

void Statement::ExecDirect(TextView sql) {
  // An UPDATE that matches no row may answer SQL_NO_DATA: not a failure.
  CallDriverChecked("SQLExecDirectW", [&] {
    return SQLExecDirectW(handle_.get(), const_cast<SQLWCHAR*>(Wide(sql)), static_cast<SQLINTEGER>(sql.size()));
  });
}

bool Statement::Fetch() {
  return CallDriverChecked("SQLFetch", [&] { return SQLFetch(handle_.get()); }) != SQL_NO_DATA;
}

unsigned short Statement::ColumnCount() {
  SQLSMALLINT columns = 0;
  CallDriverChecked("SQLNumResultCols", [&] { return SQLNumResultCols(handle_.get(), &columns); });
  return static_cast<unsigned short>(columns);
}

unsigned short Statement::FindColumn(TextView name) {
  const unsigned short columns = ColumnCount();
  for (unsigned short i = 1; i <= columns; ++i) {
    SQLWCHAR buffer[256] = {};
    CallDriverChecked("SQLColAttributeW", [&] {
      return SQLColAttributeW(handle_.get(), i, SQL_DESC_NAME, buffer, sizeof buffer, nullptr, nullptr);
    });
    if (EqualsIgnoringAsciiCase(reinterpret_cast<const char16_t*>(buffer), name)) return i;
  }
  return 0;
}

std::optional<Text> Statement::GetText(unsigned short column) {
  Text value;
  SQLWCHAR buffer[512];
  constexpr std::size_t kUnits = sizeof buffer / sizeof buffer[0] - 1;  // the rest is the terminator
  for (;;) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = CallDriverChecked("SQLGetData", [&] {
      return SQLGetData(handle_.get(), column, SQL_C_WCHAR, buffer, sizeof buffer, &indicator);
    });
    if (rc == SQL_NO_DATA) break;
    if (indicator == SQL_NULL_DATA) return std::nullopt;
    // The whole buffer while the value goes on (or its length is unknown),
    // else what is left of it.
    std::size_t units = kUnits;
    if (indicator != SQL_NO_TOTAL) units = std::min(units, static_cast<std::size_t>(indicator) / sizeof(SQLWCHAR));
    value.append(reinterpret_cast<const char16_t*>(buffer), units);
    if (rc == SQL_SUCCESS) break;
  }
  return value;
}

}  // namespace odbc
}  // namespace tavik
