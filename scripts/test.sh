#!/bin/sh
# Builds both trees and runs every test: the portable core natively under
# ASan and UBSan, the Windows programs under Wine on a virtual display.
set -e
cd "$(dirname "$0")/.."
. scripts/wine-arch.sh

echo "== native build (ASan, UBSan)"
cmake --preset native >/dev/null
cmake --build --preset native

echo "== Windows build (i686)"
if [ "$WINE_ARCH" = win32 ]; then run32=ON; else run32=OFF; fi
cmake --preset windows -DVALUES_RUN_WINE_TESTS=$run32 >/dev/null
cmake --build --preset windows
if [ "$WINE_ARCH" = win64 ]; then
    echo "== Windows build (x86-64, for Wine on this 64-bit-only machine)"
    cmake --preset windows-x64 >/dev/null
    cmake --build --preset windows-x64
fi

status=0
echo "== native tests"
ctest --preset native || status=1

echo "== Windows tests ($WINE_TREE; static checks, and Wine where it can run)"
rm -rf build/windows/reports "$WINE_TREE/reports"
ctest --test-dir build/windows --output-on-failure --no-tests=ignore || status=1
if [ "$WINE_ARCH" = win64 ]; then
    scripts/with-wine.sh "$WINE_ARCH" "$WINE_PREFIX_DIR" \
        ctest --test-dir "$WINE_TREE" --output-on-failure || status=1
fi
scripts/count-tests.sh "$WINE_TREE/reports/wine"

[ $status -eq 0 ] && echo "== all tests passed" || echo "== SOME TESTS FAILED"
exit $status
