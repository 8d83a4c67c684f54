#!/usr/bin/env bash
# Screenshots of tavikFM.exe under Wine and Xvfb for docs/: the main
# window, the tray popup menu and the version dialog. Wine draws the window
# frames itself (no window manager, "Decorated"=N); Japanese captions
# need the Japanese locale and a CJK font (Debian's fonts-noto-cjk).
#
#   tests/gui/screenshots.sh BUILD_DIR [OUT_DIR]     (default OUT_DIR docs)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "${1:?usage: screenshots.sh BUILD_DIR [OUT_DIR]}" && pwd)"
out="${2:-$root/docs}"
mkdir -p "$out"
work="$(mktemp -d /tmp/tavik-shots.XXXXXX)"
# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
export TAVIK_WINEPREFIX="$work/prefix"
tavik_wine_prefix 2>/dev/null

number=91
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 640x480x24 >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$number"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  [ -n "${TAVIK_SHOTS_KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done

mkdir -p "$work/app" "$work/data/Filemk"
cp "$build/tavikFM.exe" "$work/app/"
: > "$work/app/tavik.fp5"
wine reg add 'HKCU\Software\VB and VBA Program Settings\TavikView\Settings' /v Folda /t REG_SZ \
  /d "$(winepath -w "$work/data")" /f >"$work/reg.log" 2>&1
poke() { wine "$build/tests/gui/tavik_gui_poke.exe" "$1" >/dev/null 2>&1; }
# No window manager here: Wine draws the frames (caption, close box) itself.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >>"$work/reg.log" 2>&1

wine "$work/app/tavikFM.exe" >"$work/wine.log" 2>&1 &
poke show || { echo "tavikFM.exe did not come up" >&2; exit 1; }
sleep 2
shot() { import -window root -crop "$2" +repage "$out/$1"; echo "wrote $out/$1"; }
# The main window opens in the top left corner of the screen.
shot main-window.png 270x160+0+0
poke popup
sleep 1.5
shot tray-popup-menu.png 420x160+0+0
poke escape
sleep 0.5
poke about
sleep 1.5
shot version-dialog.png 640x480+0+0
