#!/usr/bin/env bash
# Checks a release package made by scripts/package.sh against the build it
# came from, without building anything:
#   bash tools/package-check.sh ZIP BUILD_X86 [CA_FILE]
# BUILD_X86 is the build folder of the windows-x86 preset. With CA_FILE
# (PEM certificates) the exe must carry an Authenticode signature that
# verifies with them as its trusted roots; without it an exe may be signed
# or not. Either way the exe without its signature is the build's. Prints
# one line per check and last "package: N checks passed, M failed"; exits
# non-zero on any failure.
set -uo pipefail
if [ $# -lt 2 ] || [ $# -gt 3 ]; then
  echo "usage: $0 ZIP BUILD_X86 [CA_FILE]" >&2
  exit 2
fi
zip_file="$1"
build_x86="$2"
ca_file="${3:-}"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
python=/usr/bin/python3
[ -x "$python" ] || python=python3
objdump=x86_64-w64-mingw32-objdump  # reads both PE32 and PE32+

passed=0
failed=0
check() {  # check NAME COMMAND...: one line, "ok" or "FAIL" with the command's output
  local name="$1" out
  shift
  local status=0
  out="$("$@" 2>&1)" || status=1
  out="${out//$'\n'/; }"
  if [ $status = 0 ]; then
    passed=$((passed + 1))
    echo "ok    $name${out:+: $out}"
  else
    failed=$((failed + 1))
    echo "FAIL  $name${out:+: $out}"
  fi
}

in_zip() {  # the file extracted from the zip, or a reason why not
  [ -f "$1" ] || { echo "${1#"$work/zip/"} is not in the zip"; return 1; }
}

work="$(mktemp -d /tmp/tavik-package-check.XXXXXX)"
trap 'rm -rf "$work"' EXIT

project_version() {  # the project version a build folder was configured with
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt" 2>/dev/null
}
version="$(project_version "$build_x86")"
expected_files() {
  {
    printf '%s\n' SHA256SUMS guide-ja.txt tavikFM.exe tavikfm.cnt tavikfm.hlp
    # The screenshots the guide refers to.
    for png in "$root"/docs/*.png; do
      [ -e "$png" ] && grep -qF "$(basename "$png")" "$root/docs/guide-ja.txt" && basename "$png"
    done
  } | LC_ALL=C sort
}

check_build_version() {
  [ -n "$version" ] || { echo "no project version in $build_x86/CMakeCache.txt"; return 1; }
  echo "$version"
}

check_zip_name() {
  local want="TavikFM-$version-windows.zip"
  [ "$(basename "$zip_file")" = "$want" ] || { echo "$(basename "$zip_file"), want $want"; return 1; }
}

check_entries() {
  local listed
  listed="$("$python" -c 'import sys, zipfile
try:
    print("\n".join(zipfile.ZipFile(sys.argv[1]).namelist()))
except (OSError, zipfile.BadZipFile) as error:
    sys.exit(str(error))' "$zip_file")" || return 1
  if [ "$(LC_ALL=C sort <<<"$listed")" != "$(expected_files)" ]; then
    diff <(expected_files) <(LC_ALL=C sort <<<"$listed") | sed -n 's/^</missing/p; s/^>/unexpected/p' | tr '\n' ' '
    return 1
  fi
  [ "$listed" = "$(expected_files)" ] || { echo "not in name order"; return 1; }
  echo "$(wc -l <<<"$listed") files in name order"
}

check_sums() {
  local listed
  in_zip "$work/zip/SHA256SUMS" || return 1
  (cd "$work/zip" && sha256sum --check --strict --quiet SHA256SUMS) || return 1
  listed="$(sed 's/^[0-9a-f]\{64\}  //' "$work/zip/SHA256SUMS" | LC_ALL=C sort)"
  [ "$listed" = "$(expected_files | grep -vx SHA256SUMS)" ] || { echo "does not list every other file once"; return 1; }
}

check_guide_bom() {
  in_zip "$work/zip/guide-ja.txt" || return 1
  [ "$(head -c 3 "$work/zip/guide-ja.txt" | od -An -tx1 | tr -d ' ')" = efbbbf ] || { echo "no UTF-8 byte order mark"; return 1; }
}

check_guide_text() {
  in_zip "$work/zip/guide-ja.txt" || return 1
  "$python" - "$work/zip/guide-ja.txt" <<'EOF'
import sys
data = open(sys.argv[1], "rb").read()
try:
    data.decode("utf-8")
except UnicodeDecodeError as error:
    sys.exit(f"not UTF-8: {error}")
lines = data.split(b"\r\n")
bare = sum(line.count(b"\n") + line.count(b"\r") for line in lines)
if bare or lines[-1]:
    sys.exit(f"{bare} lines without CR LF" if bare else "last line without CR LF")
print(f"UTF-8, {len(lines) - 1} lines, all ending in CR LF")
EOF
}

# "machine fixed-file-version fixed-product-version FileVersion ProductVersion"
# of a PE file ("none" for what it lacks); the fixed info is found by its
# signature 0xFEEF04BD.
pe_facts() {
  "$python" - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
if data[:2] != b"MZ":
    sys.exit("no MZ header")
pe = struct.unpack_from("<I", data, 0x3C)[0]
if data[pe:pe + 4] != b"PE\0\0":
    sys.exit("no PE header")
machine = struct.unpack_from("<H", data, pe + 4)[0]
at = data.find(struct.pack("<II", 0xFEEF04BD, 0x00010000))
if at < 0:
    print(f"{machine:#x}", "none none none none")
    sys.exit()
fms, fls, pms, pls = struct.unpack_from("<IIII", data, at + 8)
dotted = lambda ms, ls: f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"

def string_value(key):
    # A String entry: its key in UTF-16, NUL, padding to 4 bytes, the value.
    k = data.find((key + "\0").encode("utf-16-le"), at)
    if k < 0:
        return "none"
    v = k + 2 * (len(key) + 1)
    v += -v % 4
    end = v
    while end + 2 <= len(data) and data[end:end + 2] != b"\0\0":
        end += 2
    return data[v:end].decode("utf-16-le") or "empty"

print(f"{machine:#x}", dotted(fms, fls), dotted(pms, pls),
      string_value("FileVersion"), string_value("ProductVersion"))
EOF
}

# Windows' own DLLs, present on every Windows the program runs on.
system_dlls="kernel32 user32 gdi32 advapi32 shell32 shlwapi ole32 oleaut32 comctl32 comdlg32 version imm32 odbc32 msvcrt"

check_pe_machine() {  # FILE MACHINE
  local facts
  in_zip "$1" || return 1
  facts=($(pe_facts "$1")) || return 1
  [ "${facts[0]}" = "$2" ] || { echo "machine ${facts[0]}, want $2"; return 1; }
  echo "machine ${facts[0]}"
}

check_pe_version() {  # FILE
  local facts want="$version"
  in_zip "$1" || return 1
  facts=($(pe_facts "$1")) || return 1
  # The project version with its missing parts as 0: 1.0 -> 1.0.0.0.
  while [ "$(tr -cd . <<<"$want" | wc -c)" -lt 3 ]; do want="$want.0"; done
  [ "${facts[1]}" = "$want" ] && [ "${facts[2]}" = "$want" ] ||
    { echo "FILEVERSION ${facts[1]}, PRODUCTVERSION ${facts[2]}, want $want"; return 1; }
  [ "${facts[3]}" = "$version" ] && [ "${facts[4]}" = "$version" ] ||
    { echo "\"FileVersion\" ${facts[3]}, \"ProductVersion\" ${facts[4]}, want $version"; return 1; }
  echo "FILEVERSION and PRODUCTVERSION $want, \"FileVersion\" and \"ProductVersion\" $version"
}

check_imports() {  # FILE
  local dlls dll foreign=""
  in_zip "$1" || return 1
  dlls="$("$objdump" -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | LC_ALL=C sort -u)" || return 1
  [ -n "$dlls" ] || { echo "no imports found"; return 1; }
  for dll in $dlls; do
    [[ " $system_dlls " == *" ${dll%.dll} "* ]] || foreign="$foreign $dll"
  done
  [ -z "$foreign" ] || { echo "not Windows' own:$foreign"; return 1; }
  paste -sd " " <<<"$dlls"
}

check_same_as_build() {  # FILE BUILT
  in_zip "$1" || return 1
  cmp -s "$1" "$2" || { echo "differs from $2"; return 1; }
}

# The size of the exe's certificate table (its security directory); 0 for
# an unsigned exe.
signature_size() {
  "$python" - "$1" <<'EOF'
import struct, sys
data = open(sys.argv[1], "rb").read()
pe = struct.unpack_from("<I", data, 0x3C)[0]
optional = pe + 24
directories = optional + (96 if struct.unpack_from("<H", data, optional)[0] == 0x10B else 112)
print(struct.unpack_from("<II", data, directories + 4 * 8)[1])
EOF
}

check_signature() {  # FILE BUILT
  local size
  in_zip "$1" || return 1
  size="$(signature_size "$1")" || return 1
  if [ "$size" = 0 ]; then
    [ -z "$ca_file" ] || { echo "not signed"; return 1; }
    cmp -s "$1" "$2" || { echo "differs from $2"; return 1; }
    echo "unsigned, the build's"
    return 0
  fi
  if [ -n "$ca_file" ]; then
    osslsigncode verify -CAfile "$ca_file" -in "$1" >"$work/verify.log" 2>&1 ||
      { grep -iE "error|fail" "$work/verify.log" | head -n 3; return 1; }
  fi
  osslsigncode remove-signature -in "$1" -out "$work/unsigned.exe" >/dev/null 2>&1 ||
    { echo "its signature cannot be removed"; return 1; }
  cmp -s "$work/unsigned.exe" "$2" || { echo "differs from $2 once its signature is removed"; return 1; }
  echo "signed ($size bytes${ca_file:+, verified against $(basename "$ca_file")}), the build's without it"
}

check "build's project version" check_build_version
check "zip name" check_zip_name
check "zip entries" check_entries
mkdir -p "$work/zip"
"$python" -m zipfile -e "$zip_file" "$work/zip" 2>/dev/null
check "SHA256SUMS" check_sums
check "guide-ja.txt byte order mark" check_guide_bom
check "guide-ja.txt text" check_guide_text
exe="$work/zip/tavikFM.exe"
check "tavikFM.exe signature" check_signature "$exe" "$build_x86/tavikFM.exe"
check "tavikFM.exe PE machine (x86)" check_pe_machine "$exe" 0x14c
check "tavikFM.exe version resource" check_pe_version "$exe"
check "tavikFM.exe imports" check_imports "$exe"
for help in tavikfm.hlp tavikfm.cnt; do
  check "$help is the build's" check_same_as_build "$work/zip/$help" "$build_x86/$help"
done

echo "package: $passed checks passed, $failed failed"
[ $failed = 0 ]
