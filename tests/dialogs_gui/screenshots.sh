#!/usr/bin/env bash
# Photographs frmOption2 and frmPictFolda under Wine with Japanese fonts:
# docs/options-dialog.png and docs/folder-picker.png.
#   tests/dialogs_gui/screenshots.sh BUILD_DIR [DISPLAY]
# BUILD_DIR is a windows-x64 build with dialogs_gui_tests.exe built. Without
# a DISPLAY an Xvfb of our own is started on :59.
#
# The dialogs are laid out for the 9 point "ＭＳ Ｐゴシック" of Japanese
# Windows. Where the machine has only fonts-noto-cjk, Wine draws with Noto
# Sans CJK, whose kana are wider: "ミリ秒ごと" is then cut off. To photograph
# the dialogs as Windows shows them, TAVIK_SHOT_FONTS may name a folder of
# .ttf files that are put into the photographing prefix: IPAPGothic
# (ipagp.ttf, from fonts-ipafont-gothic, with the metrics of ＭＳ Ｐゴシック)
# then stands in for ＭＳ Ｐゴシック, and Marlett (marlett.ttf, from fonts-wine)
# draws the caption's close box.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="$(cd "$1" && pwd)"
exe="$build/tests/dialogs_gui/dialogs_gui_tests.exe"
prefix="$build/tests/dialogs_gui/wineprefix-shots"
xvfb_pid=""
if [ -n "${2:-}" ]; then
  export DISPLAY="$2"
elif [ -z "${DISPLAY:-}" ]; then
  Xvfb :59 -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=:59
  sleep 1
fi
shots="$(mktemp -d)"
cleanup() {
  rm -rf "$shots"
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid"; fi
}
trap cleanup EXIT

"$here/prepare-wine-prefix.sh" "$prefix"
if [ -n "${TAVIK_SHOT_FONTS:-}" ]; then
  cp "$TAVIK_SHOT_FONTS"/*.ttf "$prefix/drive_c/windows/Fonts/"
  if [ -f "$TAVIK_SHOT_FONTS/ipagp.ttf" ]; then
    TAVIK_WINEPREFIX="$prefix" "$root/tools/wine-run.sh" reg add 'HKCU\Software\Wine\Fonts\Replacements' \
      /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f </dev/null >"$shots/fonts.log" 2>&1
    WINEPREFIX="$prefix" wineserver -w
  fi
fi
TAVIK_SHOT_DIR="$shots" TAVIK_WINEPREFIX="$prefix" "$root/tools/wine-run.sh" "$exe" \
  --gtest_also_run_disabled_tests --gtest_filter='*DISABLED_Screenshots' >"$shots/run.log" 2>&1 &
run=$!
for name in options-dialog folder-picker; do
  for _ in $(seq 1 600); do
    [ -f "$shots/$name.ready" ] && break
    sleep 0.1
  done
  [ -f "$shots/$name.ready" ] || { cat "$shots/run.log"; echo "no $name" >&2; exit 1; }
  geometry="$(tr -d '\r\n' <"$shots/$name.ready")"
  import -window root -crop "$geometry" +repage "$root/docs/$name.png"
  touch "$shots/$name.done"
done
wait "$run"
echo "docs/options-dialog.png docs/folder-picker.png written"
