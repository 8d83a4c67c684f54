#!/usr/bin/env bash
# Installs what building, running, testing and packaging need, from Debian's
# packages, when something is missing. Safe to run again: fast when all is
# there.
#
# The x86 flavour runs under Debian's 32-bit Wine beside the 64-bit one, and
# reaches ODBC through the 32-bit unixODBC and drivers: those come from the
# i386 architecture, enabled here when it is not yet.
set -euo pipefail
packages=(
  cmake make g++ ccache pkg-config
  mingw-w64 g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  wine wine64 wine32:i386 xvfb xauth x11-utils imagemagick fonts-noto-cjk fonts-ipafont-gothic fonts-wine locales
  unixodbc unixodbc-dev libsqliteodbc odbc-postgresql sqlite3
  libodbc2:i386 libsqliteodbc:i386 odbc-postgresql:i386
  postgresql libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang-14 libclang-rt-14-dev clang-format-14 clang-tidy-14
  zip unzip jq python3 halibut osslsigncode openssl
)
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
update=""
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "enabling the i386 architecture"
  $SUDO dpkg --add-architecture i386
  update=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ] || [ -n "$update" ]; then
  $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
