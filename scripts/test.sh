#!/bin/sh
# Builds every tree and runs every test: the portable core natively under
# ASan and UBSan; both Windows trees checked from their files; and each
# Windows tree's programs under Wine on a virtual display, wherever this
# machine can start that tree's Wine loader. Both widths take the same lines.
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
ctest --preset native || status=1

summaries=""
for preset in $WINDOWS_PRESETS; do
    tree=build/$preset
    arch=$(TreeArch "$preset")
    echo "== $tree: static checks of the built files"
    ctest --test-dir "$tree" --output-on-failure -LE wine || status=1
    if WineRuns "$arch"; then
        echo "== $tree: under Wine ($arch)"
        rm -rf "$tree/reports"
        mkdir -p "$tree/reports"
        scripts/with-wine.sh "$arch" "$PWD/$tree/wineprefix" \
            ctest --test-dir "$tree" --output-on-failure -L wine \
            --output-junit "$PWD/$tree/reports/ctest-wine.xml" || status=1
        summary=$(scripts/count-tests.py "$tree" "$tree/reports/ctest-wine.xml") || status=1
    else
        summary="== Wine, $tree: not run, this machine cannot start the $arch Wine loader"
        summary="$summary (its programs were checked from their files above)"
    fi
    summaries="$summaries$summary
"
done

printf '%s' "$summaries"
[ $status -eq 0 ] && echo "== all tests passed" || echo "== SOME TESTS FAILED"
exit $status
