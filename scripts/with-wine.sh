#!/bin/sh
# Runs a command on a private virtual display with one Wine server kept alive
# for its whole length (each Wine start is then quick), and stops that server
# afterwards.
#   with-wine.sh win32|win64 PREFIX command...
set -e
arch=$1
prefix=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)

if [ "$arch" = win64 ]; then
    server=/usr/lib/wine/wineserver64
else
    server=wineserver
fi
export WINEPREFIX="$prefix"
mkdir -p "$prefix"
"$server" -k 2>/dev/null || true
"$server" -p
set +e
# Creates the prefix on first use; tests started at once would race for it.
DISPLAY= "$here/wine-run" "$arch" "$prefix" cmd /c exit 0 >/dev/null 2>&1
xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
status=$?
"$server" -k 2>/dev/null
exit $status
