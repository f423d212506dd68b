# Sourced by the scripts: the Windows build trees, and the Wine that runs
# each. Only the tree and its loader differ by width; the virtual display,
# the Wine server and the prefix's settings are the same for both.
#
# The i686 tree is the product. The x86-64 tree holds the same sources built
# for 64-bit Windows, so that the Wine tests run where the kernel cannot start
# 32-bit Linux programs (and so not the 32-bit Wine loader). Both are built
# and statically checked everywhere; the tests run the product's tree under
# Wine wherever its loader runs, and the x86-64 tree only where it cannot.

WINDOWS_PRESETS="windows windows-x64"

# The Wine architecture of a build tree or preset: win32 or win64.
TreeArch()
{
    case $1 in
    *windows-x64*) echo win64 ;;
    *) echo win32 ;;
    esac
}

WineLoader()
{
    case $1 in
    win64) echo /usr/lib/wine/wine64 ;;
    *) echo /usr/lib/wine/wine ;;
    esac
}

# Whether this machine can start the loader of that architecture.
WineRuns()
{
    "$(WineLoader "$1")" --version >/dev/null 2>&1
}

# One Wine server for both widths: the 64-bit one serves 32-bit programs as
# well, and is the one Wine itself starts where it is installed.
if [ -x /usr/lib/wine/wineserver64 ]; then
    WINE_SERVER=/usr/lib/wine/wineserver64
else
    WINE_SERVER=/usr/lib/wine/wineserver32
fi

# The tree that make test, make run and make bench start programs from: the
# product's wherever its loader runs.
if WineRuns win32; then
    RUN_PRESET=windows
else
    RUN_PRESET=windows-x64
fi
