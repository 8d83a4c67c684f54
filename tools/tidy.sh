#!/usr/bin/env bash
# clang-tidy (Debian's clang-tidy-14, the checks of .clang-tidy) over the
# program's sources; any finding fails.
#   tools/tidy.sh BUILD_DIR          the portable sources, natively compiled
#                                    (BUILD_DIR: a native build's folder)
#   tools/tidy.sh --mingw BUILD_DIR  the Windows sources (*_win32*.cpp) as
#                                    mingw-w64 compiles them for x86_64
# The build folder gives the compile commands (CMAKE_EXPORT_COMPILE_COMMANDS).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
args=()
if [ "${1:-}" = --mingw ]; then
  shift
  # clang takes the mingw target's C and Windows headers as they are, and
  # the C++ library's from the cross compiler's own folders.
  gcc_dir="$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")"
  args+=(--extra-arg=--target=x86_64-w64-mingw32 --extra-arg=-nostdinc++)
  for include in include/c++ include/c++/x86_64-w64-mingw32 include/c++/backward; do
    args+=("--extra-arg=-isystem$gcc_dir/$include")
  done
  # Win32 messages carry pointers and handles in their WPARAM and LPARAM:
  # casting them back is the API, not a pessimisation.
  args+=(--checks=-performance-no-int-to-ptr)
  mapfile -t files < <(git ls-files 'src/*.cpp' | grep _win32)
else
  mapfile -t files < <(git ls-files 'src/*.cpp' | grep -v _win32)
fi
build="${1:?usage: tools/tidy.sh [--mingw] BUILD_DIR}"
[ -f "$build/compile_commands.json" ] || { echo "no compile_commands.json in $build"; exit 2; }
# One clang-tidy per core, each on every other file. Quiet: the counts of
# suppressed warnings in system headers are left out.
jobs="$(nproc 2>/dev/null || echo 2)"
out="$(mktemp -d /tmp/tavik-tidy.XXXXXX)"
trap 'rm -rf "$out"' EXIT
pids=()
for ((job = 0; job < jobs; job++)); do
  share=()
  for ((i = job; i < ${#files[@]}; i += jobs)); do share+=("${files[i]}"); done
  [ ${#share[@]} -gt 0 ] || continue
  clang-tidy-14 -p "$build" --quiet "${args[@]}" "${share[@]}" >"$out/$job" 2>&1 &
  pids+=($!)
done
status=0
for pid in "${pids[@]}"; do wait "$pid" || status=1; done
cat "$out"/* | grep -v -E '^[0-9]+ warnings?( and [0-9]+ errors?)? generated\.$|^Suppressed [0-9]+ warnings' || true
exit "$status"
