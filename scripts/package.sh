#!/usr/bin/env bash
# Builds the release package dist/TavikFM-<version>-windows.zip, which
# holds what a clinic installs:
#   tavikFM.exe      the x86 build (tavik.fp5 is a FileMaker Pro 5 file, which
#                    only FileMaker's 32-bit ODBC driver serves), signed when
#                    a certificate is given (below)
#   tavikfm.hlp      the help file and its contents for the Help Topics
#   tavikfm.cnt      dialog, made from docs/help-ja.txt by the build
#   guide-ja.txt     the administrator's guide, docs/guide-ja.txt as Notepad
#                    wants it: UTF-8 with BOM, CRLF line ends
#   *.png            the screenshots in docs/ that the guide refers to
#   SHA256SUMS       sha256sum lines for every other file
# The x64 flavour is built and tested with the project but not shipped: no
# 64-bit driver opens tavik.fp5.
#
# Signing: with TAVIK_SIGN_PKCS12 (a PKCS#12 file holding the certificate
# and its key) and TAVIK_SIGN_PASSWORD (its password) set, tavikFM.exe is
# signed with Authenticode (osslsigncode, SHA-256), time-stamped by
# TAVIK_SIGN_TIMESTAMP when that names a time-stamp server (RFC 3161).
# Without them the exe stays unsigned, and the script says so.
#
# <version> is the project version of CMakeLists.txt. Installs what is
# missing, builds the x86 flavour incrementally, and replaces any earlier
# package in dist/. Prints the zip's path last.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/install-deps.sh
export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/tavik-ccache}"
# Clones in other folders share the cache.
export CCACHE_BASEDIR="$root" CCACHE_NOHASHDIR=1

mkdir -p build
echo "== build windows-x86"
log="build/package-windows-x86.log"
if ! { cmake --preset windows-x86 && cmake --build --preset windows-x86 --target tavikFM tavik_help; } >"$log" 2>&1; then
  grep -E "error|warning" "$log" | head -50
  tail -n 20 "$log"
  echo "build of windows-x86 failed"
  exit 1
fi

version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows-x86/CMakeCache.txt)"
if [ -z "$version" ]; then
  echo "no project version in build/windows-x86/CMakeCache.txt"
  exit 1
fi
name="TavikFM-$version-windows.zip"
echo "== package $name"

stage="$(mktemp -d /tmp/tavik-package.XXXXXX)"
trap 'rm -rf "$stage"' EXIT
cp build/windows-x86/tavikfm.hlp build/windows-x86/tavikfm.cnt "$stage/"
if [ -n "${TAVIK_SIGN_PKCS12:-}" ]; then
  [ -n "${TAVIK_SIGN_PASSWORD+set}" ] || { echo "TAVIK_SIGN_PKCS12 is set, TAVIK_SIGN_PASSWORD is not"; exit 1; }
  echo "== sign tavikFM.exe with $TAVIK_SIGN_PKCS12${TAVIK_SIGN_TIMESTAMP:+, time-stamped by $TAVIK_SIGN_TIMESTAMP}"
  # The password goes through a file of the stage, never the command line.
  (umask 077 && printf '%s' "$TAVIK_SIGN_PASSWORD" >"$stage/.password")
  timestamp=()
  [ -z "${TAVIK_SIGN_TIMESTAMP:-}" ] || timestamp=(-ts "$TAVIK_SIGN_TIMESTAMP")
  osslsigncode sign -pkcs12 "$TAVIK_SIGN_PKCS12" -readpass "$stage/.password" -h sha256 -n TavikFM \
    "${timestamp[@]}" -in build/windows-x86/tavikFM.exe -out "$stage/tavikFM.exe" >/dev/null
  rm -f "$stage/.password"
else
  echo "== tavikFM.exe left unsigned (no TAVIK_SIGN_PKCS12 given)"
  cp build/windows-x86/tavikFM.exe "$stage/tavikFM.exe"
fi
# Byte order mark first, every line ended by CR LF.
{
  printf '\xef\xbb\xbf'
  sed -e '1s/^\xef\xbb\xbf//' -e 's/\r$//' -e 's/$/\r/' docs/guide-ja.txt
} >"$stage/guide-ja.txt"
shopt -s nullglob
for png in docs/*.png; do
  if grep -qF "$(basename "$png")" docs/guide-ja.txt; then cp "$png" "$stage/"; fi
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
