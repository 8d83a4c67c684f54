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
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v jq >/dev/null; then
  echo "bench/run.sh: jq is missing (bash scripts/install-deps.sh installs it)" >&2
  exit 1
fi

build="${TAVIK_BENCH_BUILD:-build/bench}"
# The preset's settings (Release, ccache) in whatever folder is asked for.
cmake --preset bench -B "$build" >/dev/null
cmake --build "$build" -j2 --target bench_exchange_reader bench_patient_store bench_intake bench_app_tick

results="$build/bench-results"
mkdir -p "$results"
odbc="${TAVIK_BENCH_ODBC:-$build/odbc}"
eval "$(tools/odbc-test-env.sh "$odbc")"
nopool="$odbc-nopool"
mkdir -p "$nopool"
sed 's/^Pooling=.*/Pooling=No/' "$ODBCSYSINI/odbcinst.ini" > "$nopool/odbcinst.ini"

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
