#!/usr/bin/env bash
# Runs TavikFM on this machine: the Windows program (windows-x64 build)
# under Wine, with a demo setup of its own in .run/ (ignored by git):
#
#   .run/prefix     Wine prefix, Japanese locale (ANSI code page 932)
#   .run/app        tavikFM.exe and tavik.fp5 beside it, a SQLite database
#                   with the table tavik, reached as the ODBC data source
#                   "FileMaker5" (.run/odbc/odbc.ini)
#   .run/data       the viewer's data folder ("Folda" of TavikView in the
#                   prefix's registry); patients arrive in .run/data/Filemk
#
# then drops a few sample patients with the viewer simulator and shows
# where they landed.
#
#   scripts/run.sh              set up, start, drop 3 patients
#   scripts/run.sh drop [N]     drop N more patients (default 3)
#   scripts/run.sh rows         the patient table
#   scripts/run.sh stop         close the program (WM_CLOSE) and Wine
#
# Installs what is missing with apt-get (Debian), so run it as root or
# with sudo rights on a fresh machine.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
run="$root/.run"
command="${1:-start}"

wine_env() {
  # Sourced here, after the install step: asked before it, a fresh machine
  # has no Wine.
  # shellcheck source=tools/wine-env.sh
  source tools/wine-env.sh
  export WINEDEBUG=-all WINEARCH=win64 WINEPREFIX="$run/prefix"
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    if [ ! -d "$run/locale/ja_JP.UTF-8" ]; then
      mkdir -p "$run/locale"
      localedef -i ja_JP -f UTF-8 "$run/locale/ja_JP.UTF-8" >/dev/null 2>&1 || true
    fi
    export LOCPATH="$run/locale"
  fi
  export LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8 2>/dev/null
  export ODBCSYSINI="$run/odbc" ODBCINI="$run/odbc/odbc.ini"
  if [ -f "$run/display" ]; then
    DISPLAY="$(cat "$run/display")"
    export DISPLAY
  fi
}

program_running() {
  [ -f "$run/tavikfm.pid" ] && kill -0 "$(cat "$run/tavikfm.pid")" 2>/dev/null
}

viewer_sim() {
  "$root/build/run-native/tools/viewer_sim" "$@"
}

drop() {
  local count="${1:-3}"
  local next=100001
  [ -f "$run/next-chart" ] && next="$(cat "$run/next-chart")"
  echo "== the viewer drops $count patient(s) into .run/data/Filemk (charts from $next)"
  viewer_sim --dir "$run/data/Filemk" --count "$count" --first "$next" --seed "$next"
  echo $((next + count)) > "$run/next-chart"
  local want=$((next + count - 100001))
  for _ in $(seq 1 60); do
    local have
    have="$(sqlite3 "$run/app/tavik.fp5" 'SELECT COUNT(*) FROM tavik' 2>/dev/null || echo 0)"
    [ "$have" -ge "$want" ] && break
    sleep 1
  done
  rows
}

rows() {
  echo "== the patient table (sqlite3 .run/app/tavik.fp5 'SELECT KrNo, KrName, PKana, PAddr FROM tavik')"
  sqlite3 -header -column "$run/app/tavik.fp5" 'SELECT KrNo, KrName, PKana, PAddr FROM tavik ORDER BY KrNo'
  echo "== the exchange folder (ls .run/data/Filemk): handled files are backups now"
  ls -l "$run/data/Filemk"
}

stop() {
  wine_env
  if program_running; then
    echo "== closing tavikFM.exe (WM_CLOSE, as at log off: \"Visible\" is saved, the icon removed)"
    # The 64-bit loader's taskkill: the 32-bit one cannot close a 64-bit program.
    tavik_wine64 taskkill /im tavikFM.exe >"$run/taskkill.log" 2>&1 || true
    for _ in $(seq 1 30); do
      program_running || break
      sleep 0.5
    done
  fi
  wineserver -k >/dev/null 2>&1 || true
  if [ -f "$run/xvfb.pid" ]; then
    kill "$(cat "$run/xvfb.pid")" 2>/dev/null || true
    rm -f "$run/xvfb.pid" "$run/display"
  fi
  rm -f "$run/tavikfm.pid"
  echo "== stopped"
}

start() {
  bash scripts/install-deps.sh
  mkdir -p "$run"

  echo "== building the Windows program (preset windows-x64) and the viewer simulator (native)"
  cmake --preset windows-x64 >"$run/configure-windows.log" 2>&1 || { cat "$run/configure-windows.log"; exit 1; }
  cmake --build --preset windows-x64 --target tavikFM >"$run/build-windows.log" 2>&1 || { tail -50 "$run/build-windows.log"; exit 1; }
  cmake -S . -B build/run-native -DTAVIK_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >"$run/configure-native.log" 2>&1 || { cat "$run/configure-native.log"; exit 1; }
  cmake --build build/run-native -j2 --target viewer_sim >"$run/build-native.log" 2>&1 || { tail -50 "$run/build-native.log"; exit 1; }

  wine_env
  if program_running; then
    echo "== tavikFM.exe already runs (pid $(cat "$run/tavikfm.pid")); 'scripts/run.sh stop' ends it"
    drop 3
    return
  fi

  # A display: the caller's, or an Xvfb of our own.
  if [ -z "${DISPLAY:-}" ]; then
    local number=77
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do number=$((number + 1)); done
    Xvfb ":$number" -screen 0 1024x768x24 >"$run/xvfb.log" 2>&1 &
    echo $! > "$run/xvfb.pid"
    echo ":$number" > "$run/display"
    export DISPLAY=":$number"
    for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$number" ] && break; sleep 0.1; done
    echo "== no display: started Xvfb on $DISPLAY"
  fi

  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== creating the Wine prefix .run/prefix (once, 10-30 s)"
    mkdir -p "$WINEPREFIX"
    # Without WINEPATH (see tools/wine-env.sh).
    env -u WINEPATH wineboot -i >"$run/wineboot.log" 2>&1 || true
    wineserver -w || true
  fi
  # The windows as in docs/: unmanaged, so that Wine draws their frames and
  # titles itself and they show whole on a display without a window manager
  # (the demo's own Xvfb); IPAPGothic in place of "ＭＳ Ｐゴシック" and
  # Marlett for the caption buttons, as tools/screenshots.sh has them.
  if ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    cp /usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf /usr/share/wine/fonts/marlett.ttf \
      "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    {
      wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    } >"$run/reg-look.log" 2>&1 || true
    wineserver -w || true
  fi

  # The program folder: the exe and the database file beside it.
  mkdir -p "$run/app" "$run/data/Filemk" "$run/odbc"
  cp build/windows-x64/tavikFM.exe "$run/app/tavikFM.exe"
  if [ ! -s "$run/app/tavik.fp5" ]; then
    rm -f "$run/app/tavik.fp5"
    sqlite3 "$run/app/tavik.fp5" "CREATE TABLE tavik (KrNo VARCHAR(4000), KrName VARCHAR(4000),
      PKana VARCHAR(4000), PBDate VARCHAR(4000), PSex VARCHAR(4000), PZip VARCHAR(4000),
      PAddr VARCHAR(4000), PTel VARCHAR(4000), PFax VARCHAR(4000), PInf1 VARCHAR(4000))"
  fi

  # The data source "FileMaker5" on that file (unixODBC, which Wine's
  # odbc32 forwards to).
  cat >"$run/odbc/odbcinst.ini" <<INI
[ODBC]
Pooling=Yes

[SQLite3]
Description=SQLite3 ODBC Driver
Driver=libsqlite3odbc.so
CPTimeout=60
INI
  cat >"$run/odbc/odbc.ini" <<INI
[FileMaker5]
Driver=SQLite3
Database=$run/app/tavik.fp5
NoCreat=1
Timeout=2000
INI

  # The viewer's setting: its data folder, as a Windows path.
  local folda
  folda="$(winepath -w "$run/data" 2>/dev/null)"
  wine reg add 'HKCU\Software\VB and VBA Program Settings\TavikView\Settings' /v Folda /t REG_SZ \
    /d "$folda" /f >"$run/reg.log" 2>&1

  echo "== starting tavikFM.exe under Wine (display $DISPLAY)"
  (cd "$run" && exec wine "$run/app/tavikFM.exe" >"$run/wine.log" 2>&1) &
  echo $! > "$run/tavikfm.pid"
  sleep 3
  drop 3

  cat <<TEXT

TavikFM runs under Wine (pid $(cat "$run/tavikfm.pid")), its tray icon up, ticking every second.
  more patients:   scripts/run.sh drop 5
  the table:       sqlite3 .run/app/tavik.fp5 'SELECT * FROM tavik'   (or scripts/run.sh rows)
  the backups:     ls .run/data/Filemk   (*.bak now; *.bk2 after the next start)
  its settings:    WINEPREFIX=$run/prefix wine reg query 'HKCU\\Software\\VB and VBA Program Settings\\TavikFM\\Settings'
  see the window:  DISPLAY=$DISPLAY import -window root shot.png
  stop:            scripts/run.sh stop
TEXT
}

case "$command" in
  start) start ;;
  drop) wine_env; drop "${2:-3}" ;;
  rows) rows ;;
  stop) stop ;;
  *) echo "usage: scripts/run.sh [start|drop [N]|rows|stop]" >&2; exit 2 ;;
esac
