#!/bin/sh
# Takes the README's screenshots again: values on a virtual display, at 96
# and at 144 dpi, showing the project "turbine" (main range 0 to 100, local
# value 62.5, three ranges, Speed sticking out of the main range); and the
# same with every label warning (local value 130), the main window and the
# range dialog with both bounds outside the main range, whose keys xdotool
# types.
#   docs/screenshots.sh      (run from anywhere; needs what make run needs,
#                             and xdotool)
set -e
cd "$(dirname "$0")/.."
. scripts/wine-trees.sh
tree=build/$RUN_PRESET

# Values.dat: the local value, the high end, five 160-byte range records,
# the low end, then the project's name and folder (260 bytes each).
State()
{
    LOCAL=${1:-62.5} python3 -c '
import os
import struct, sys
def record(name, low, high, local):
    value = low + (local - 0) * (high - low) / 100
    return name.encode().ljust(128, b"\0") + b"\1" + bytes(7) + struct.pack("<3d", low, high, value)
local = float(os.environ["LOCAL"])
ranges = [("Pressure", 0, 10), ("Flow", 50, 62), ("Speed", -50, 120)]
image = struct.pack("<2d", local, 100)
image += b"".join(record(n, l, h, local) for n, l, h in ranges) + bytes(160 * 2)
image += struct.pack("<d", 0) + b"turbine.prj".ljust(260, b"\0") + b"C:\\".ljust(260, b"\0")
sys.stdout.buffer.write(image)'
}

for dpi in 96 144; do
    run=$tree/run
    shot=docs/screenshot.png
    if [ $dpi != 96 ]; then
        run=$run-${dpi}dpi
        shot=docs/screenshot-${dpi}dpi.png
    fi
    mkdir -p "$run"
    State >"$run/Values.dat"
    rm -f "$run/Values.ini"
    DISPLAY= VALUES_DPI=$dpi scripts/run.sh >/dev/null
    cp "$run/screenshot.png" "$shot"
    echo "$shot"
done

# Every label warning, at each scale: the main window, then the range
# dialog of a new range with both bounds typed outside the main range.
root=$PWD
arch=$(TreeArch "$RUN_PRESET")
for dpi in 96 144; do
    suffix=""
    prefix=$root/$tree/wineprefix
    if [ $dpi != 96 ]; then
        suffix=-${dpi}dpi
        prefix=$prefix-${dpi}dpi
    fi
    run=$root/$tree/run-warnings$suffix
    mkdir -p "$run"
    State 130 >"$run/Values.dat"
    rm -f "$run/Values.ini"
    cp "$tree/bin/edit.ico" "$tree/bin/delete.ico" "$run/"
    cd "$run"
    "$root/scripts/with-wine.sh" "$arch" "$prefix" sh -c '
        "$0" "$1" "$2" "$3" &
        sleep 4
        import -window root main.png
        xdotool key --window "$(xdotool search --name "^Values$" | head -1)" alt+n c
        sleep 1
        xdotool type --delay 50 Torque
        xdotool key Tab
        xdotool type --delay 50 -- -20
        xdotool key Tab
        xdotool type --delay 50 150
        sleep 1
        import -window "$(xdotool search --name "^Compressed Value Range$" | head -1)" dialog.png
        xdotool key Escape
        "$0" "$1" "$2" taskkill /im values.exe >/dev/null 2>&1
        wait' "$root/scripts/wine-run" "$arch" "$prefix" "$root/$tree/bin/values.exe"
    cd "$root"
    convert "$run/main.png" -trim +repage "docs/warnings$suffix.png"
    cp "$run/dialog.png" "docs/warnings-dialog$suffix.png"
    echo "docs/warnings$suffix.png docs/warnings-dialog$suffix.png"
done
