#!/usr/bin/env bash
# The dialog tests' own Wine prefix, made once (wine-env.sh): a drive Q:
# whose folder does not exist, a drive that cannot be read; a label on C:;
# windows left unmanaged, so that Wine draws their frames and never waits
# for a window manager (there is none on the test display). The registry change also
# lets Wine take up the new drive before the tests start.
set -euo pipefail
prefix="$1"
# shellcheck source=tools/wine-env.sh
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
export TAVIK_WINEPREFIX="$prefix"
tavik_wine_prefix </dev/null >/dev/null 2>&1
ln -sfn "$prefix/missing-drive-q" "$prefix/dosdevices/q:"
rm -rf "$prefix/missing-drive-q"
# A label on C:, which Wine reads from this file: the picker's drive list
# shows it.
printf 'TAVIKC' >"$prefix/drive_c/.windows-label"
if ! grep -q '"Managed"="N"' "$prefix/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >"$prefix/prepare.log" 2>&1
  wineserver -w
fi
