#!/bin/sh
# Builds values and starts it under Wine.
set -e
cd "$(dirname "$0")/.."
. scripts/wine-arch.sh
cmake --preset "$WINE_PRESET" >/dev/null
cmake --build --preset "$WINE_PRESET"
if [ ! -f "$WINE_TREE/bin/values.exe" ]; then
    echo "values.exe is not built yet; nothing to start."
    exit 0
fi
