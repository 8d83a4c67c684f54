#!/usr/bin/env bash
# The Wine prefix of the dialog tests, made once (wine-env.sh):
# - a drive Q: that points to a folder that does not exist, so that the
#   folder picker meets a drive that cannot be read;
# - windows not managed by the X server's window manager (there is none on
#   the test display): Wine draws their frames itself and does not wait for
#   a window manager each time a window goes away.
set -euo pipefail
prefix="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=tools/wine-env.sh
source "$here/../../tools/wine-env.sh"
export TAVIK_WINEPREFIX="$prefix"
tavik_wine_prefix </dev/null >/dev/null 2>&1
ln -sfn "$prefix/missing-drive-q" "$prefix/dosdevices/q:"
rm -rf "$prefix/missing-drive-q"
if ! grep -q '"Managed"="N"' "$prefix/user.reg" 2>/dev/null; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >"$prefix/prepare.log" 2>&1
  wineserver -w
fi
