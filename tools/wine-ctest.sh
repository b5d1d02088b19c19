#!/usr/bin/env bash
# Runs the tests of a Windows cross build under wine64:
#   tools/wine-ctest.sh BUILD [CTEST OPTIONS...]
# One wine server serves the whole run and is stopped afterwards; without it
# each test waits on wine's background processes holding its output.
set -euo pipefail
build=${1:?usage: tools/wine-ctest.sh BUILD [CTEST OPTIONS...]}
shift
wine=/usr/lib/wine
export WINEPREFIX=${WINEPREFIX:-$HOME/.wine-sci} WINEDEBUG=${WINEDEBUG:--all}
# The server changes into the prefix, so the prefix must exist first: on a
# machine where wine never ran, wineboot is what would have made it.
mkdir -p "$WINEPREFIX"
"$wine/wineserver" -p
trap '"$wine/wineserver" -k' EXIT
"$wine/wine64" wineboot -u
ctest --test-dir "$build" --output-on-failure -L windows --timeout 120 "$@"
