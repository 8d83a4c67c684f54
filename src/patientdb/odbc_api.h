// The ODBC C API headers. On Windows they need the Windows base types
// first; the API itself is the same there (odbc32) and here (unixODBC).
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16 units");
