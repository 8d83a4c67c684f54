#!/usr/bin/env bash
# Writes the ODBC configuration the tests and benchmarks use into a folder
# and prints the variables to export (eval "$(tools/odbc-test-env.sh DIR)").
#
# Data sources (user DSN file DIR/odbc.ini, drivers in DIR/odbcinst.ini):
#   FileMaker5         SQLite3 ODBC on DIR/tavik.fp5 (created, with the table)
#   FileMaker5NoFile   SQLite3 ODBC on a file that does not exist (never created)
#   FileMaker5NoTable  SQLite3 ODBC on DIR/notable.fp5 (no table)
#   FileMaker5PG       PostgreSQL ODBC on 127.0.0.1:$TAVIK_PG_PORT (when set)
#   FileMaker5Silent   PostgreSQL ODBC on 127.0.0.1:$TAVIK_SILENT_PORT (when
#                      TAVIK_PG_PORT is set; by default TAVIK_PG_PORT + 1000),
#                      where a test listens and never answers
#
# The drivers are named by bare file name, as Debian registers them: each
# unixODBC loads them from its own architecture's library folder, so one
# configuration serves the 64-bit programs and the 32-bit ones (the x86
# flavour under Wine).
#
# The Debian SQLite3 driver is ANSI-only: unixODBC converts the program's
# wide strings through the codeset of the process's LC_CTYPE, so native
# test programs set a UTF-8 LC_CTYPE first (PrepareTestOdbc in
# tests/support/test_support.cpp); under Wine the Japanese UTF-8 locale
# does it.
set -euo pipefail
dir="${1:?usage: odbc-test-env.sh DIR}"
mkdir -p "$dir"
dir="$(cd "$dir" && pwd)"
cat > "$dir/odbcinst.ini" <<INI
[ODBC]
Pooling=Yes

[SQLite3]
Description=SQLite3 ODBC Driver
Driver=libsqlite3odbc.so
CPTimeout=60
Threading=2

[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode)
Driver=psqlodbcw.so
CPTimeout=60
INI
cat > "$dir/odbc.ini" <<INI
[FileMaker5]
Driver=SQLite3
Database=$dir/tavik.fp5
NoCreat=1
Timeout=2000

[FileMaker5NoFile]
Driver=SQLite3
Database=$dir/missing/none.fp5
NoCreat=1

[FileMaker5NoTable]
Driver=SQLite3
Database=$dir/notable.fp5
NoCreat=1
INI
if [ -n "${TAVIK_PG_PORT:-}" ]; then
  TAVIK_SILENT_PORT="${TAVIK_SILENT_PORT:-$((TAVIK_PG_PORT + 1000))}"
  cat >> "$dir/odbc.ini" <<INI

[FileMaker5PG]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$TAVIK_PG_PORT
Database=tavik
Username=${TAVIK_PG_USER:-postgres}
SSLmode=disable

[FileMaker5Silent]
Driver=PostgreSQL Unicode
Servername=127.0.0.1
Port=$TAVIK_SILENT_PORT
Database=tavik
Username=${TAVIK_PG_USER:-postgres}
SSLmode=disable
INI
fi
# SQLite files: an empty file is an empty database.
: > "$dir/notable.fp5"
[ -f "$dir/tavik.fp5" ] || : > "$dir/tavik.fp5"
echo "export ODBCSYSINI='$dir' ODBCINI='$dir/odbc.ini' TAVIK_TEST_ODBC=1${TAVIK_PG_PORT:+ TAVIK_TEST_PG=1 TAVIK_SILENT_PORT=$TAVIK_SILENT_PORT}"
