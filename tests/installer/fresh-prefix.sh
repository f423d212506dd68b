#!/bin/sh
# Runs one Windows program under Wine in a prefix made fresh for it, with a
# Wine server and a virtual display of its own: the installer tests change
# the prefix they run in. The prefix is a copy of a pristine one, made on
# first use (a copy takes about half a second, a new prefix about twelve).
# It is removed when the program passes, and kept for a look when it fails.
#   fresh-prefix.sh win32|win64 PRISTINE-PREFIX PREFIX program.exe [arguments...]
set -e
arch=$1
pristine=$2
prefix=$3
shift 3
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)

"$scripts/wine-run" "$arch" "$pristine" --create-prefix
rm -rf "$prefix"
cp -a "$pristine" "$prefix"
set +e
"$scripts/with-wine.sh" "$arch" "$prefix" "$scripts/wine-run" "$arch" "$prefix" "$@"
status=$?
if [ $status -eq 0 ]; then
    rm -rf "$prefix"
else
    echo "fresh-prefix: the prefix is kept in $prefix"
fi
exit $status
