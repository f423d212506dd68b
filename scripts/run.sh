#!/bin/sh
# Builds values and starts it under Wine in a run folder inside the build
# tree, where "Values.dat" and "Values.ini" land. With no display, it runs on
# a virtual one instead: it takes a screenshot, closes the program, and says
# where both are. VALUES_DPI=144 runs it at another display scale (here 150 %),
# in a Wine prefix and a run folder of that scale's own.
set -e
cd "$(dirname "$0")/.."
. scripts/wine-trees.sh
root=$PWD
dpi=${VALUES_DPI:-96}
tree=build/$RUN_PRESET
arch=$(TreeArch "$RUN_PRESET")
WINE_PREFIX_DIR=$root/$tree/wineprefix
[ "$dpi" = 96 ] || WINE_PREFIX_DIR=$WINE_PREFIX_DIR-${dpi}dpi
"$root/scripts/wine-run" "$arch" "$WINE_PREFIX_DIR" --create-prefix "$dpi"

cmake --preset "$RUN_PRESET" >/dev/null
cmake --build --preset "$RUN_PRESET" --target values values_row_icons

run="$root/$tree/run"
[ "$dpi" = 96 ] || run="$run-${dpi}dpi"
mkdir -p "$run"
cp "$tree/bin/edit.ico" "$tree/bin/delete.ico" "$run/"
program="$root/$tree/bin/values.exe"
cd "$run"

if [ -n "$DISPLAY" ]; then
    echo "Starting values in $run"
    "$root/scripts/wine-run" "$arch" "$WINE_PREFIX_DIR" "$program" || true
    echo "values has ended; its files are in $run"
    exit 0
fi

"$root/scripts/with-wine.sh" "$arch" "$WINE_PREFIX_DIR" sh -c '
    wine_run="$1"; arch="$2"; prefix="$3"; program="$4"
    "$wine_run" "$arch" "$prefix" "$program" &
    sleep 5
    import -window root screenshot-full.png
    convert screenshot-full.png -trim +repage screenshot.png
    rm -f screenshot-full.png
    # Asks the program to close, as the title bar button would.
    "$wine_run" "$arch" "$prefix" taskkill /im values.exe >/dev/null 2>&1
    wait
' sh "$root/scripts/wine-run" "$arch" "$WINE_PREFIX_DIR" "$program"

echo "No display: values ran on a virtual one and was closed again."
echo "  screenshot: $run/screenshot.png"
echo "  its files:  $run/Values.dat, $run/Values.ini"
ls -l "$run"
