#!/usr/bin/env bash
# Builds the release package dist/TavikFM-<version>-windows.zip:
#   tavikFM.exe      the x86 build, the one to install (the clinics' FileMaker
#                    ODBC driver is 32-bit)
#   x64/tavikFM.exe  the x64 build, for a 64-bit FileMaker ODBC driver
#   guide-ja.txt     the administrator's guide, docs/guide-ja.txt as Notepad
#                    wants it: UTF-8 with BOM, CRLF line ends
#   *.png            the screenshots in docs/
#   SHA256SUMS       sha256sum lines for every other file
# <version> is the project version of CMakeLists.txt. Installs what is
# missing, builds both Windows flavours incrementally, and replaces any
# earlier package in dist/. Prints the zip's path last.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/tavik-ccache}"
# Clones in other folders share the cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

mkdir -p build
for preset in windows-x86 windows-x64; do
  echo "== build $preset"
  log="build/package-$preset.log"
  if ! { cmake --preset "$preset" && cmake --build --preset "$preset" --target tavikFM; } >"$log" 2>&1; then
    grep -E "error|warning" "$log" | head -50
    tail -n 20 "$log"
    echo "build of $preset failed"
    exit 1
  fi
done

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-x86/CMakeCache.txt)"
if [ -z "$version" ]; then
  echo "no project version in build/windows-x86/CMakeCache.txt"
  exit 1
fi
name="TavikFM-$version-windows.zip"
echo "== package $name"

stage="$(mktemp -d /tmp/tavik-package.XXXXXX)"
trap 'rm -rf "$stage"' EXIT
mkdir "$stage/x64"
cp build/windows-x86/tavikFM.exe "$stage/tavikFM.exe"
cp build/windows-x64/tavikFM.exe "$stage/x64/tavikFM.exe"
# Byte order mark first, every line ended by CR LF.
{
  printf '\xef\xbb\xbf'
  sed -e '1s/^\xef\xbb\xbf//' -e 's/\r$//' -e 's/$/\r/' docs/guide-ja.txt
} >"$stage/guide-ja.txt"
shopt -s nullglob
for png in docs/*.png; do
  cp "$png" "$stage/"
done
shopt -u nullglob

# One order for the checksums and the zip: byte order of the paths.
cd "$stage"
mapfile -t files < <(find . -type f -printf '%P\n' | LC_ALL=C sort)
sha256sum "${files[@]}" >SHA256SUMS
mapfile -t files < <(printf '%s\n' "${files[@]}" SHA256SUMS | LC_ALL=C sort)
# The same sources give the same zip: fixed times and modes, no extra fields.
epoch="${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct 2>/dev/null || true)}"
if [ -n "$epoch" ]; then touch -d "@$epoch" "${files[@]}"; fi
chmod 644 "${files[@]}"
TZ=UTC zip -q -X -D -9 "$stage/package.zip" "${files[@]}"
cd "$root"

mkdir -p dist
rm -f dist/TavikFM-*-windows.zip
mv "$stage/package.zip" "dist/$name"
echo "$(stat -c %s "dist/$name") bytes, ${#files[@]} files"
echo "dist/$name"
