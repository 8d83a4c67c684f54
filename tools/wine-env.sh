# Sourced by the Wine scripts: locale, prefix and quiet output.
# - LC_ALL=ja_JP.UTF-8 (ANSI code page 932); built into a folder of our own
#   with localedef when the system lacks it.
# - WINEPREFIX: TAVIK_WINEPREFIX, else /tmp/tavik-wine-$UID; made from
#   scratch with wineboot the first time.
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
tavik_wine_prefix() {
  tavik_locale
  export WINEPREFIX="${TAVIK_WINEPREFIX:-/tmp/tavik-wine-$(id -u)}"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    tavik_ja wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
}
