#!/usr/bin/env bash
# Runs a Windows program of the build, x64 or x86, under Wine: 64-bit
# prefix of its own (TAVIK_WINEPREFIX, or one per user under /tmp),
# Japanese locale so that the ANSI code page is 932, quiet Wine. The ODBC
# variables of the caller (ODBCINI, ODBCSYSINI) pass through to the host's
# unixODBC of the program's bitness.
#
# The program's output goes through a file, not the caller's pipe: Wine's
# helper processes (wineserver, explorer.exe) started on demand would
# inherit the pipe and keep the caller (ctest) waiting after the program
# ended. For the same reason the prefix's wineserver is started first, on
# its own, and left running (wineserver -k ends it).
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=tools/wine-env.sh
source "$here/wine-env.sh"
tavik_wine_prefix
tavik_wineserver -p </dev/null >/dev/null 2>&1 || true
out="$(mktemp /tmp/tavik-wine-out.XXXXXX)"
# shellcheck disable=SC2086
env $TAVIK_LOCALE_ENV "$(tavik_loader)" "$@" </dev/null >"$out" 2>&1 &
pid=$!
# Stopped with TERM or INT (the test command stopping a run): end the
# program and whatever else runs in this prefix. CTest's own timeout kills
# this script and its children outright (SIGKILL), which leaves a 64-bit
# program started through the 32-bit loader (start.exe hands it on)
# running until the prefix ends; the test command ends every prefix it
# used when it ends.
trap 'kill "$pid" 2>/dev/null; tavik_end_prefix "$WINEPREFIX"; rm -f "$out"; exit 124' TERM INT
# Shown as it comes (tail ends with the program), so that a program that
# hangs still shows how far it got.
tail -n +1 -f --pid="$pid" "$out" &
tailer=$!
wait "$pid"
status=$?
wait "$tailer" 2>/dev/null
rm -f "$out"
exit $status
