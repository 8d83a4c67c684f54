# Sourced by the Wine scripts: locale, prefix, loaders and quiet output.
# - LC_ALL=ja_JP.UTF-8 (ANSI code page 932); built into a folder of our own
#   with localedef when the system lacks it.
# - WINEPREFIX: TAVIK_WINEPREFIX, else /tmp/tavik-wine-$UID; made from
#   scratch with wineboot the first time. When TAVIK_WINE_PREFIX_LIST names
#   a file, every prefix used is added to it (the test command ends them all
#   when it ends).
# - Loaders: with Debian's 32-bit Wine installed, `wine` is the 32-bit
#   loader; it hands 64-bit programs to the 64-bit one, so one 64-bit
#   prefix runs both Windows flavours (x86 programs through syswow64). Wine's
#   own tools started as `wine NAME` are then the 32-bit ones, which cannot
#   reach a 64-bit program's windows (taskkill): run those through
#   tavik_wine64.
export WINEDEBUG=-all
export WINEARCH=win64
tavik_locale() {
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    local dir="${TAVIK_LOCPATH:-/tmp/tavik-locale}"
    if [ ! -d "$dir/ja_JP.UTF-8" ]; then
      mkdir -p "$dir"
      localedef -i ja_JP -f UTF-8 "$dir/ja_JP.UTF-8" >/dev/null 2>&1 || true
    fi
    export LOCPATH="$dir"
  fi
  # Through env, not the shell's own variables: bash itself would warn
  # when the locale lives only under LOCPATH.
  export TAVIK_LOCALE_ENV="LC_ALL=ja_JP.UTF-8 LANG=ja_JP.UTF-8"
}
# Runs a command with the Japanese locale.
tavik_ja() {
  # shellcheck disable=SC2086
  env $TAVIK_LOCALE_ENV "$@"
}
# Wine's own executables (wine, wine64, wineserver32, wineserver64) as
# Debian's wine64 and wine32 packages install them, and why the x86 flavour
# cannot run here (empty when it can: 32-bit Wine is installed and this
# kernel runs its 32-bit loader). Found once; exported to the scripts
# started later. Source this file only after the install step
# (scripts/install-deps.sh): asked before it, a fresh machine has no Wine.
if [ -z "${TAVIK_WINE_FILES+set}" ]; then
  TAVIK_WINE_FILES="$(dpkg -L wine64 wine32:i386 2>/dev/null | grep -E '/wine/(wine|wine64|wineserver32|wineserver64)$' || true)"
  export TAVIK_WINE_FILES
fi
# The path of one of them; empty when missing.
tavik_wine_file() {
  local file
  file="$(grep -m 1 "/wine/$1\$" <<<"$TAVIK_WINE_FILES" || true)"
  [ -n "$file" ] && [ -x "$file" ] && echo "$file"
  return 0
}
if [ -z "${TAVIK_X86_UNAVAILABLE+set}" ]; then
  TAVIK_X86_UNAVAILABLE=""
  TAVIK_X86_REFUSED_BY_KERNEL=""
  tavik_loader32="$(tavik_wine_file wine)"
  if [ -z "$tavik_loader32" ]; then
    TAVIK_X86_UNAVAILABLE="32-bit Wine (wine32:i386) is not installed"
  elif ! tavik_probe="$("$tavik_loader32" --version 2>&1 </dev/null)"; then
    if [[ $tavik_probe == *"Exec format error"* ]]; then
      TAVIK_X86_REFUSED_BY_KERNEL=1
      TAVIK_X86_UNAVAILABLE="this kernel does not run 32-bit programs ($tavik_loader32 --version: $tavik_probe)"
    else
      TAVIK_X86_UNAVAILABLE="the 32-bit Wine loader fails ($tavik_loader32 --version: ${tavik_probe:-no output})"
    fi
  fi
  unset tavik_loader32 tavik_probe
  export TAVIK_X86_UNAVAILABLE TAVIK_X86_REFUSED_BY_KERNEL
fi
# Prints why the x86 flavour cannot run here (status 0), or has status 1
# when it can.
tavik_x86_unavailable() {
  [ -n "$TAVIK_X86_UNAVAILABLE" ] && echo "$TAVIK_X86_UNAVAILABLE"
}
# Status 0 when the only reason is the kernel's: it does not run 32-bit
# code at all. Any other reason is a fault of the machine's setup.
tavik_x86_refused_by_kernel() {
  [ -n "${TAVIK_X86_REFUSED_BY_KERNEL:-}" ]
}
# The loader that starts a program of the build: Debian's `wine`, or the
# 64-bit loader where the 32-bit one is installed but cannot run.
tavik_loader() {
  local wine64
  wine64="$(tavik_wine_file wine64)"
  if [ -n "$wine64" ] && [ -n "$(tavik_wine_file wine)" ] && tavik_x86_unavailable >/dev/null; then
    echo "$wine64"
  else
    echo wine
  fi
}
# Runs a command through the 64-bit loader: Wine's own tools aimed at a
# 64-bit program (e.g. tavik_wine64 taskkill /im tavikFM.exe).
tavik_wine64() {
  "$(tavik_wine_file wine64)" "$@"
}
# The wineservers that can run here: the 64-bit one, and the 32-bit one
# where this kernel runs 32-bit programs.
tavik_wineservers() {
  tavik_wine_file wineserver64
  tavik_x86_unavailable >/dev/null || tavik_wine_file wineserver32
}
# The prefix's wineserver: started and kept running (wineserver -p), or
# waited for (wineserver -w).
tavik_wineserver() {
  local server
  server="$(tavik_wineservers | head -n 1)"
  "${server:-wineserver}" "$@"
}
# Ends everything that runs in the Wine prefix DIR: its wineserver (each
# that can run here) and with it every Wine process of the prefix.
tavik_end_prefix() {
  local server
  [ -d "$1" ] || return 0
  for server in $(tavik_wineservers); do
    WINEPREFIX="$1" "$server" -k </dev/null >/dev/null 2>&1 || true
  done
}
tavik_wine_prefix() {
  tavik_locale
  export WINEPREFIX="${TAVIK_WINEPREFIX:-/tmp/tavik-wine-$(id -u)}"
  if [ -n "${TAVIK_WINE_PREFIX_LIST:-}" ] && ! grep -qxF "$WINEPREFIX" "$TAVIK_WINE_PREFIX_LIST" 2>/dev/null; then
    echo "$WINEPREFIX" >>"$TAVIK_WINE_PREFIX_LIST"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    # Not with WINEPATH pointing at mingw's DLLs: the 32-bit half of
    # wineboot would take the 64-bit ones found there and leave syswow64
    # empty, and no 32-bit program could start in the prefix.
    (unset WINEPATH; tavik_ja "$(tavik_loader)" wineboot -i >/dev/null 2>&1) || true
    # No window manager runs on the test displays: windows unmanaged, so
    # that Wine draws their frames and never waits for one.
    tavik_ja "$(tavik_loader)" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    tavik_wineserver -w || true
  fi
}
