#!/usr/bin/env bash
# Builds the benchmarks (Release) and runs them with the ODBC test
# configuration, then prints the figures:
#   reader MB/s (ParseExchangeBytes), decode MB/s,
#   store patients/s: pooled, unpooled, one connection kept open,
#   intake files/s for a backlog of 1,000 and of 10,000 patient files and
#   the ratio of their tick times (10 when linear), idle tick CPU µs,
#   the main window's tick (bench_app_tick): CPU a tick and resident memory
#   over 100,000 idle ticks and over 10,000 ticks with a patient file each.
#
#   bench/run.sh [benchmark flags, e.g. --benchmark_min_time=2]
#   bench/run.sh --smoke BUILD_DIR
#
# Environment:
#   TAVIK_BENCH_BUILD  build folder (default build/bench), configured with
#                      the preset "bench"
#   TAVIK_BENCH_ODBC   folder for the ODBC configuration and the SQLite file
#                      (default <build>/odbc; <that>-nopool for the unpooled run)
#
# Pooling is a setting of the whole process and unixODBC takes it from
# odbcinst.ini, so the store benchmark runs three times: pooled and kept-open
# with the test configuration (Pooling=Yes), unpooled with a copy of
# odbcinst.ini that says Pooling=No.
#
# --smoke runs every benchmark program of BUILD_DIR once, with the smallest
# sizes, in a temporary folder of its own (ODBC configuration, database,
# TMPDIR) that goes with it: whether each still runs, not how fast. It
# builds nothing (the test command runs it on the `linux` build it has made)
# and prints a line "smoke: PROGRAM passed|failed (N s)" for each program. A
# program fails when it exits with an error, stops a benchmark on an error,
# or runs none; the command then fails too.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v jq >/dev/null; then
  echo "bench/run.sh: jq is missing (bash scripts/install-deps.sh installs it)" >&2
  exit 1
fi

# The test ODBC configuration in the folder $1, exported as
# tools/odbc-test-env.sh gives it, and in $2 a copy of its odbcinst.ini
# that says Pooling=No (ODBCSYSINI=$2 for an unpooled run).
odbc_configs() {
  eval "$(tools/odbc-test-env.sh "$1")"
  mkdir -p "$2"
  sed 's/^Pooling=.*/Pooling=No/' "$ODBCSYSINI/odbcinst.ini" >"$2/odbcinst.ini"
}

# Each program once: the store benchmark in its three modes, since each
# mode runs code of its own; the intake with a backlog of ten files and
# the smallest idle folders; the main window's tick with a few hundred
# idle ticks and twenty patient files.
smoke() {
  local build="$1" dir failed=0
  dir="$(mktemp -d "${TMPDIR:-/tmp}/tavik-bench-smoke.XXXXXX")"
  # shellcheck disable=SC2064  # the folder is known now
  trap "rm -rf '$dir'" EXIT
  odbc_configs "$dir/odbc" "$dir/nopool"
  mkdir -p "$dir/tmp"
  # The benchmarks' folders under the temporary folder go with this one,
  # even those of a program that crashed.
  export TMPDIR="$dir/tmp"
  local quick=(--benchmark_min_time=0.01)

  # Runs one Google Benchmark program; it fails unless it exits with 0
  # and its report holds runs, none stopped on an error.
  #   gbench JSON_NAME program [flags]
  gbench() {
    local json="$dir/$1.json"
    shift
    timeout --foreground -k 10 300 "$@" "${quick[@]}" --benchmark_out="$json" --benchmark_out_format=json ||
      { echo "exit status $?"; return 1; }
    # Slurped: a report left empty (no benchmark matched) is no success.
    jq -es 'length == 1 and (.[0].benchmarks | length > 0)' "$json" >/dev/null ||
      { echo "no benchmark ran"; return 1; }
    if ! jq -e '[.benchmarks[] | select(.error_occurred // false)] | length == 0' "$json" >/dev/null; then
      jq -r '.benchmarks[] | select(.error_occurred // false) | "stopped: \(.name): \(.error_message)"' "$json"
      return 1
    fi
  }
  # program, then the commands that run it
  check() {
    local name="$1" started=$SECONDS
    shift
    echo "== smoke $name"
    if "$@"; then
      echo "smoke: $name passed ($((SECONDS - started)) s)"
    else
      echo "smoke: $name failed ($((SECONDS - started)) s)"
      failed=1
    fi
  }
  local bin="$build/bench"
  check bench_exchange_reader gbench reader "$bin/bench_exchange_reader"
  store_modes() {
    gbench store-pooled "$bin/bench_patient_store" --mode=pooled &&
      ODBCSYSINI="$dir/nopool" gbench store-unpooled "$bin/bench_patient_store" --mode=unpooled &&
      gbench store-kept-open "$bin/bench_patient_store" --mode=kept-open
  }
  check bench_patient_store store_modes
  check bench_intake gbench intake "$bin/bench_intake" --backlogs=10 \
    --benchmark_filter='^(IdleTick/empty|IdleTick/backups:1000|Backlog/10)(/|$)'
  check bench_app_tick timeout --foreground -k 10 300 "$bin/bench_app_tick" 200 20
  return $failed
}

if [ "${1:-}" = --smoke ]; then
  [ $# = 2 ] && [ -d "$2/bench" ] || { echo "usage: bench/run.sh --smoke BUILD_DIR (a build with the benchmarks)" >&2; exit 2; }
  smoke "$2"
  exit
fi

build="${TAVIK_BENCH_BUILD:-build/bench}"
# The preset's settings (Release, ccache) in whatever folder is asked for.
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" -j2 --target bench_exchange_reader bench_patient_store bench_intake bench_app_tick

results="$build/bench-results"
mkdir -p "$results"
odbc="${TAVIK_BENCH_ODBC:-$build/odbc}"
nopool="$odbc-nopool"
odbc_configs "$odbc" "$nopool"

run() {  # name, then the command
  local name="$1"
  shift
  echo "== $name"
  "$@" --benchmark_out="$results/$name.json" --benchmark_out_format=json
}

run reader "$build/bench/bench_exchange_reader" "$@"
run store-pooled "$build/bench/bench_patient_store" --mode=pooled "$@"
ODBCSYSINI="$nopool" run store-unpooled "$build/bench/bench_patient_store" --mode=unpooled "$@"
run store-kept-open "$build/bench/bench_patient_store" --mode=kept-open "$@"
run intake "$build/bench/bench_intake" "$@"
# Not a Google Benchmark program: it takes tick counts, not these flags.
echo "== app-tick"
"$build/bench/bench_app_tick" | tee "$results/app-tick.txt"

echo
echo "== Summary (MB = 10^6 bytes)"
jq -r '.benchmarks[] | select(.bytes_per_second != null)
       | "\(.name): \(.bytes_per_second / 1e6 | . * 10 | round / 10) MB/s"' "$results/reader.json"
for mode in pooled unpooled kept-open; do
  jq -r '.benchmarks[] | "\(.name): \(.["patients/s"] | . * 10 | round / 10) patients/s"' \
    "$results/store-$mode.json"
done
# Runs that stopped on an error carry no counters and are left out. With
# --benchmark_repetitions each run and the mean are printed; the ratio
# takes the means.
shown='.benchmarks[] | select((.error_occurred // false) | not)
       | select(.run_type != "aggregate" or .aggregate_name == "mean")'
jq -r "$shown"' | select(.name | startswith("Backlog/"))
       | "\(.name): \(.["files/s"] | . * 10 | round / 10) files/s, \(.tick_s | . * 1000 | round / 1000) s a tick"' \
  "$results/intake.json"
# Real time is mostly waiting for the database file's syncs and varies
# with the disk; the CPU time ratio shows the work itself.
jq -r "[$shown"' | select(.name | startswith("Backlog/"))
        | {key: (.name | split("/")[1]), value: {real: .real_time, cpu: .cpu_time}}] | from_entries
       | select(.["1000"] != null and .["10000"] != null)
       | "Backlog tick 10000/1000 (linear: 10): real time \(.["10000"].real / .["1000"].real | . * 100 | round / 100), CPU time \(.["10000"].cpu / .["1000"].cpu | . * 100 | round / 100)"' \
  "$results/intake.json"
jq -r "$shown"' | select(.name | startswith("IdleTick/"))
       | "\(.name): \(.cpu_time | . * 10 | round / 10) \(.time_unit) CPU a tick"' "$results/intake.json"
sed -n 's/^\(idle\|files\): /app tick, \1: /p' "$results/app-tick.txt"
