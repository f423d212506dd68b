# Sourced by the scripts: decides which Windows build Wine can run here.
# The 32-bit build is the product; where the kernel cannot start 32-bit Linux
# programs (so the 32-bit Wine loader cannot run), its tests run from the
# same sources built for 64-bit Windows under the 64-bit loader instead.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    WINE_ARCH=win32
    WINE_TREE=build/windows
    WINE_PRESET=windows
else
    WINE_ARCH=win64
    WINE_TREE=build/windows-x64
    WINE_PRESET=windows-x64
fi
WINE_PREFIX_DIR=$PWD/$WINE_TREE/wineprefix
