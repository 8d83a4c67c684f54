#!/usr/bin/env bash
# Runs a Windows program of the build under Wine: 64-bit prefix of its
# own (TAVIK_WINEPREFIX, or one per user under /tmp), Japanese locale so
# that the ANSI code page is 932, quiet Wine. The ODBC variables of the
# caller (ODBCINI, ODBCSYSINI) pass through to the host's unixODBC.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
# shellcheck source=tools/wine-env.sh
source "$here/wine-env.sh"
tavik_wine_prefix
exec env $TAVIK_LOCALE_ENV wine "$@"
