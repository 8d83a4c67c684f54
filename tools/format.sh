#!/usr/bin/env bash
# The C++ sources in the house style (.clang-format, Debian's clang-format-14):
#   tools/format.sh           formats every tracked C++ source in place
#   tools/format.sh --check   formats nothing; lists the files that differ
#                             and fails when any does
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if [ "${1:-}" = --check ]; then
  differ=()
  for file in "${files[@]}"; do
    clang-format-14 --style=file "$file" | cmp -s - "$file" || differ+=("$file")
  done
  [ ${#differ[@]} = 0 ] && exit 0
  echo "not in the house style (tools/format.sh formats them):"
  printf '  %s\n' "${differ[@]}"
  exit 1
fi
clang-format-14 --style=file -i "${files[@]}"
