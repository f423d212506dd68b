#!/bin/sh
# Runs a command on a private virtual display with one Wine server kept alive
# for its whole length (each Wine start is then quick), in a prefix made and
# configured first (wine-run --create-prefix), and stops that server
# afterwards. The same arrangement for both widths.
#   with-wine.sh win32|win64 PREFIX command...
set -e
arch=$1
prefix=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-trees.sh"

export WINEPREFIX="$prefix"
"$WINE_SERVER" -k 2>/dev/null || true
"$here/wine-run" "$arch" "$prefix" --create-prefix
"$WINE_SERVER" -p
set +e
# The first program of a session starts Wine's own background services; they
# inherit its output, and a test runner reading that output would wait for
# them forever. So a throw-away program starts them first.
xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    "$0" "$1" "$2" cmd /c exit 0 </dev/null >/dev/null 2>&1
    shift 2
    exec "$@"' "$here/wine-run" "$arch" "$prefix" "$@"
status=$?
"$WINE_SERVER" -k 2>/dev/null
exit $status
