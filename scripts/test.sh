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
# Clones in other folders share the cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

mkdir -p build
for preset in linux windows-x64 windows-x86; do
  echo "== build $preset"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"build/$preset.log" 2>&1; then
    grep -E "error|warning" "build/$preset.log" | head -50
    tail -n 20 "build/$preset.log"
    echo "build of $preset failed"
    exit 1
  fi
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

logs="$root/build/test-logs"
mkdir -p "$logs"
status=0
# Totals from GoogleTest's own summaries ("[  PASSED  ] N tests.",
# "[  FAILED  ] N tests, listed below:"), plus CTest tests that are no
# GoogleTest program and failed.
passed=0
failed=0
count() {
  local p f
  # ctest -V puts "N: " in front of each line of test N.
  p=$(sed -n 's/^\([0-9]*: \)\?\[  PASSED  \] \([0-9]*\) tests\?\..*/\2/p' "$1" | awk '{s+=$1} END {print s+0}')
  f=$(sed -n 's/^\([0-9]*: \)\?\[  FAILED  \] \([0-9]*\) tests\?, listed below.*/\2/p' "$1" | awk '{s+=$1} END {print s+0}')
  passed=$((passed + ${p:-0}))
  failed=$((failed + ${f:-0}))
  if ! grep -q "100% tests passed" "$1" && [ "${f:-0}" = 0 ]; then failed=$((failed + 1)); fi
}
show() {  # the end of each test program's report
  grep -E "^([0-9]+: )?\[  (PASSED|FAILED|SKIPPED) +\]|tests passed|^[0-9]+/[0-9]+ Test" "$1" || true
}

echo "== native tests (ASan + UBSan)"
(cd build/linux && ctest -V --timeout 900) >"$logs/native.log" 2>&1 || status=1
show "$logs/native.log"
count "$logs/native.log"

echo "== Windows tests under Wine (LC_ALL=ja_JP.UTF-8, code page 932)"
source tools/wine-env.sh
export TAVIK_WINEPREFIX="$work/wine-template"
tavik_wine_prefix
# A Wine program that hangs (seen once in many runs of the dialog tests,
# never reproduced) is run once more; a test that fails is not.
(cd build/windows-x64 && ctest -V --timeout 900 --repeat after-timeout:2) >"$logs/wine.log" 2>&1 || status=1
show "$logs/wine.log"
count "$logs/wine.log"
[ $status = 0 ] || echo "full reports: $logs/native.log, $logs/wine.log"

echo "tests: $passed passed, $failed failed"
[ $status = 0 ] && [ $failed = 0 ]
