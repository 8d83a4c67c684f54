#!/usr/bin/env bash
# Sets up and runs every test of TavikFM:
#  1. installs what is missing (Debian packages),
#  2. builds the three flavours (linux, windows-x64, windows-x86),
#  3. starts a PostgreSQL server on loopback and an Xvfb display,
#  4. runs the portable core's tests natively (ASan + UBSan),
#  5. runs the Windows build's tests under Wine (code page 932),
#  6. prints one summary line: "tests: N passed, N failed".
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/tavik-ccache}"

for preset in linux windows-x64 windows-x86; do
  echo "== build $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -- --no-print-directory 2>&1 | grep -vE '^\[ *[0-9]+%\]|^(Consolidate|Scanning|Built target)' || true
  [ "${PIPESTATUS[0]}" = 0 ] || { echo "build of $preset failed"; exit 1; }
done

work="$(mktemp -d /tmp/tavik-test.XXXXXX)"
chmod 755 "$work"
xvfb_pid=""
cleanup() {
  tools/pg-test-server.sh stop "$work/pg" || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  if [ -n "${WINEPREFIX:-}" ]; then WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "== start PostgreSQL on loopback"
export TAVIK_PG_PORT=$((54000 + RANDOM % 1000))
tools/pg-test-server.sh start "$work/pg" "$TAVIK_PG_PORT"
eval "$(tools/odbc-test-env.sh "$work/odbc")"

echo "== start Xvfb"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"

passed=0
failed=0
count() {  # adds the counts of a ctest log to the totals
  local total fails
  total=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\2/p' "$1" | tail -n 1)
  fails=$(sed -n 's/.*tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1/p' "$1" | tail -n 1)
  total=${total:-0}; fails=${fails:-1}
  passed=$((passed + total - fails))
  failed=$((failed + fails))
}

echo "== native tests"
status=0
(cd build/linux && ctest --output-on-failure --timeout 300) >"$work/native.log" 2>&1 || status=1
grep -E "tests passed|\(Failed\)|\*\*\*" "$work/native.log" || true
[ $status = 0 ] || sed -n '/Failed\|Failure\|Error/,+20p' "$work/native.log" | head -200
count "$work/native.log"

echo "== Windows tests under Wine (LC_ALL=ja_JP.UTF-8, code page 932)"
source tools/wine-env.sh
export TAVIK_WINEPREFIX="$work/wine-template"
tavik_wine_prefix
(cd build/windows-x64 && ctest --output-on-failure --timeout 900) >"$work/wine.log" 2>&1 || status=1
grep -E "tests passed|\(Failed\)|PASSED|FAILED" "$work/wine.log" || true
grep -q "tests failed out of" "$work/wine.log" || sed -n '1,200p' "$work/wine.log"
count "$work/wine.log"

echo "tests: $passed passed, $failed failed"
[ $status = 0 ] && [ $failed = 0 ]
