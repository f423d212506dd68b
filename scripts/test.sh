#!/bin/sh
# Builds every tree and runs every test: the portable core natively under
# ASan and UBSan; both Windows trees checked from their files; and one
# Windows tree's programs under Wine, side by side, each on a virtual display
# and in a prefix of its own: the product's i686 tree wherever this machine
# can start 32-bit Wine, else the x86-64 tree. Both widths take the same
# lines. VALUES_TEST_JOBS sets how many Wine programs run at once.
set -e
cd "$(dirname "$0")/.."
. scripts/wine-trees.sh

echo "== native build (ASan, UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native

for preset in $WINDOWS_PRESETS; do
    echo "== Windows build: build/$preset ($(TreeArch $preset))"
    cmake --preset "$preset" -DVALUES_RUN_WINE_TESTS=ON >/dev/null
    cmake --build --preset "$preset"
done

status=0
echo "== native tests"
ctest --preset native -j "$(nproc)" || status=1

for preset in $WINDOWS_PRESETS; do
    echo "== build/$preset: static checks of the built files"
    ctest --test-dir "build/$preset" --output-on-failure -LE wine -j "$(nproc)" || status=1
done

# The Wine programs mostly wait on windows and files, so a few more run at
# once than there are cores.
jobs=${VALUES_TEST_JOBS:-$(($(nproc) + 2))}
tree=build/$RUN_PRESET
arch=$(TreeArch "$RUN_PRESET")
summaries=""
if WineRuns "$arch"; then
    echo "== $tree: under Wine ($arch), $jobs programs at a time"
    rm -rf "$tree/reports" "$tree/wine-alone"
    mkdir -p "$tree/reports"
    # The template prefix is made once, before the programs copy it.
    scripts/wine-run "$arch" "$PWD/$tree/wineprefix" --create-prefix
    ctest --test-dir "$tree" --output-on-failure -L wine -j "$jobs" \
        --output-junit "$PWD/$tree/reports/ctest-wine.xml" || status=1
    # A program stopped by its time-out may leave its Wine server behind.
    for prefix in "$tree"/wine-alone/*/; do
        [ ! -d "$prefix" ] || WINEPREFIX=$PWD/$prefix "$WINE_SERVER" -k 2>/dev/null || true
    done
    summaries=$(scripts/count-tests.py "$tree" "$tree/reports/ctest-wine.xml") || status=1
    summaries="$summaries
"
fi
# The other tree's programs were built and checked from their files.
for preset in $WINDOWS_PRESETS; do
    other=$(TreeArch "$preset")
    if [ "$preset" = "$RUN_PRESET" ] && WineRuns "$other"; then
        continue
    elif WineRuns "$other"; then
        why="build/$RUN_PRESET ran under Wine in its place"
    else
        why="this machine cannot start the $other Wine loader"
    fi
    summaries="$summaries== Wine, build/$preset: not run, $why (its programs were checked from their files above)
"
done
printf '%s' "$summaries"
[ $status -eq 0 ] && echo "== all tests passed" || echo "== SOME TESTS FAILED"
exit $status
