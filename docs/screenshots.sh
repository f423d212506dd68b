#!/bin/sh
# Takes the README's two screenshots again: values on a virtual display, at
# 96 and at 144 dpi, showing the project "turbine" (main range 0 to 100,
# local value 62.5, three ranges, Speed sticking out of the main range).
#   docs/screenshots.sh      (run from anywhere; needs what make run needs)
set -e
cd "$(dirname "$0")/.."
. scripts/wine-trees.sh
tree=build/$RUN_PRESET

# Values.dat: the local value, the high end, five 160-byte range records,
# the low end, then the project's name and folder (260 bytes each).
State()
{
    python3 -c '
import struct, sys
def record(name, low, high, local):
    value = low + (local - 0) * (high - low) / 100
    return name.encode().ljust(128, b"\0") + b"\1" + bytes(7) + struct.pack("<3d", low, high, value)
ranges = [("Pressure", 0, 10), ("Flow", 50, 62), ("Speed", -50, 120)]
image = struct.pack("<2d", 62.5, 100)
image += b"".join(record(n, l, h, 62.5) for n, l, h in ranges) + bytes(160 * 2)
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
