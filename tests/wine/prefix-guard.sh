#!/bin/sh
# wine-run refuses, at once and saying why, to run a program in a Wine prefix
# that its --create-prefix step did not make and configure: one made by the
# first program that ran in it (as when ctest ran a tree without
# with-wine.sh), one for the other width, or one whose settings have changed
# since. Nothing here starts Wine.
#   prefix-guard.sh WINE-RUN ARCH WORK-FOLDER
wine_run=$1
arch=$2
work=$3
if [ "$arch" = win32 ]; then other=win64; else other=win32; fi
failed=0

# A prefix as far as the guard looks: registry files, the mark, the font.
Prefix()
{
    prefix=$work/$1
    rm -rf "$prefix"
    mkdir -p "$prefix/drive_c/windows/Fonts"
    echo "WINE REGISTRY Version 2" >"$prefix/system.reg"
    printf '%s\n' 'WINE REGISTRY Version 2' '' \
        '[Software\\Wine\\X11 Driver] 1700000000' '"Managed"="N"' '' \
        '[Control Panel\\Desktop] 1700000000' '"LogPixels"=dword:00000060' '' \
        '[Software\\Wine\\DllOverrides] 1700000000' '"mscoree"=""' '"mshtml"=""' \
        '"winedbg.exe"=""' '"winemenubuilder.exe"=""' >"$prefix/user.reg"
    printf '%s\n' "arch=$arch" "dpi=96" >"$prefix/values-prefix"
    touch "$prefix/drive_c/windows/Fonts/marlett.ttf"
}

# Runs a program in the prefix: it must be refused with this reason.
ExpectRefusal()
{
    case=$1
    reason=$2
    start=$(date +%s)
    output=$(timeout 30 "$wine_run" "$arch" "$work/$case" C:/windows/system32/cmd.exe /c exit 0 2>&1)
    status=$?
    elapsed=$(($(date +%s) - start))
    if [ $status -ne 125 ] || ! printf '%s\n' "$output" | grep -q "refusing to run.*$reason" ||
        [ $elapsed -gt 5 ]; then
        echo "FAILED $case: status $status after $elapsed s, expected a refusal for \"$reason\":"
        printf '%s\n' "$output" | sed 's/^/    /'
        failed=1
    else
        echo "refused $case: $output"
    fi
}

mkdir -p "$work/missing" && rm -rf "$work/missing"
ExpectRefusal missing "there is no Wine prefix there"

Prefix made-by-a-program
rm "$work/made-by-a-program/values-prefix"
ExpectRefusal made-by-a-program "not made by wine-run --create-prefix"

Prefix other-width
printf '%s\n' "arch=$other" "dpi=96" >"$work/other-width/values-prefix"
ExpectRefusal other-width "made for $other, not $arch"

Prefix managed
sed -i 's/"Managed"="N"/"Managed"="Y"/' "$work/managed/user.reg"
ExpectRefusal managed "not set to Managed=N"

Prefix rescaled
sed -i 's/dword:00000060/dword:00000090/' "$work/rescaled/user.reg"
ExpectRefusal rescaled "not the 96 dpi it was made with"

Prefix without-marlett
rm "$work/without-marlett/drive_c/windows/Fonts/marlett.ttf"
ExpectRefusal without-marlett "lacks the Marlett font"

Prefix debugger
sed -i '/winedbg/d' "$work/debugger/user.reg"
ExpectRefusal debugger "do not disable winedbg.exe"

rm -rf "$work"
exit $failed
