#!/usr/bin/env bash
# The screenshots in docs/: the main window, the tray popup menu, the
# version dialog, the options dialog, the folder picker, and the help as
# Windows 10 and later show it (the program's own window) and as the
# Windows help engine of earlier versions does (Wine's viewer), as Windows
# draws them. tavikFM.exe runs under Wine on an Xvfb of its own with the Japanese
# locale, in a prefix of its own where IPAPGothic (fonts-ipafont-gothic)
# stands in for "ＭＳ Ｐゴシック" and Marlett (fonts-wine) draws the caption
# buttons; Wine draws the window frames itself (there is no window manager).
# tavik_poke opens each window and tells where it is.
#
#   tools/screenshots.sh BUILD_DIR [OUT_DIR]     (default OUT_DIR: docs)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:?usage: screenshots.sh BUILD_DIR [OUT_DIR]}" && pwd)"
out="${2:-$root/docs}"
mkdir -p "$out"
fonts=(/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf /usr/share/wine/fonts/marlett.ttf)
if ! ls "${fonts[@]}" >/dev/null 2>&1 || ! command -v import >/dev/null; then
  apt-get update -qq && apt-get install -y -qq fonts-ipafont-gothic fonts-wine imagemagick xvfb >/dev/null
fi
work="$(mktemp -d /tmp/tavik-shots.XXXXXX)"
# shellcheck source=tools/wine-env.sh
source "$root/tools/wine-env.sh"
export TAVIK_WINEPREFIX="$work/prefix"
unset WINEPATH
tavik_wine_prefix
number=91
while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
Xvfb ":$number" -screen 0 1024x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb=$!
export DISPLAY=":$number"
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done

cp "${fonts[@]}" "$WINEPREFIX/drive_c/windows/Fonts/"
app="$WINEPREFIX/drive_c/TavikFM"
mkdir -p "$app" "$WINEPREFIX/drive_c/TavikView/Filemk/"{backup,データ,old}
cp "$build/tavikFM.exe" "$build/tavikfm.hlp" "$build/tavikfm.cnt" "$app/"
: >"$app/tavik.fp5"
reg() { tavik_ja wine reg add "$@" /f >>"$work/reg.log" 2>&1; }
reg 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic
reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
reg 'HKCU\Software\VB and VBA Program Settings\TavikView\Settings' /v Folda /d 'C:\TavikView'
wineserver -w

start() { (cd "$app" && tavik_ja wine tavikFM.exe >>"$work/wine.log" 2>&1 &); }
# Until the program has ended: a second copy would only say it runs.
ended() { for _ in $(seq 1 100); do pgrep -f 'TavikFM.tavikFM.exe' >/dev/null || return 0; sleep 0.1; done; }
start
poke() { tavik_ja wine "$build/tools/tavik_poke.exe" "$1" 2>>"$work/poke.log" | tr -d '\r'; }
shot() {
  sleep 1.5  # drawn
  import -window root -crop "$2" +repage "$out/$1"
  echo "wrote $out/$1"
}
shot main-window.png "$(poke show)"
shot tray-popup-menu.png "$(poke popup)"
poke escape
shot version-dialog.png "$(poke about)"
poke cancel
shot options-dialog.png "$(poke options)"
shot folder-picker.png "$(poke picker)"
poke cancel
poke cancel
poke close
ended
# Help: as Windows 10 and later show it (the program's own window), and,
# with Wine set to Windows 7 for the program alone, the help engine's; the
# main window then starts in the tray, out of the picture.
reg 'HKCU\Software\Wine\AppDefaults\tavikFM.exe' /v Version /d win10
start
shot help-window.png "$(poke help)"
poke close
ended
reg 'HKCU\Software\Wine\AppDefaults\tavikFM.exe' /v Version /d win7
reg 'HKCU\Software\VB and VBA Program Settings\TavikFM\Settings' /v Visible /d 1
start
shot help-winhlp32.png "$(poke help)"
poke close
