#!/bin/sh
# Fails unless a Windows program or library imports only from DLLs that every
# Windows has, or from the extra DLLs named: anything else (a MinGW runtime
# DLL, a Visual C++ runtime) would stop it from starting on a clean machine.
#   check-imports.sh OBJDUMP FILE [ALLOWED-DLL...]
# Names are compared without regard to case, with or without ".dll".
if [ $# -lt 2 ]; then
    echo "usage: check-imports.sh OBJDUMP FILE [ALLOWED-DLL...]" >&2
    exit 2
fi
objdump=$1
file=$2
shift 2

SYSTEM_DLLS="kernel32 user32 gdi32 shell32 comdlg32 comctl32 advapi32 ole32
oleaut32 shlwapi version winmm ws2_32 uxtheme msvcrt msi"

# The lower-case name without ".dll".
Plain() {
    printf '%s\n' "$1" | tr 'A-Z' 'a-z' | sed 's/\.dll$//'
}

if ! dump=$("$objdump" -p "$file" 2>&1); then
    printf '%s\n' "$dump" >&2
    echo "check-imports: $objdump cannot read $file" >&2
    exit 1
fi
dlls=$(printf '%s\n' "$dump" | sed -n 's/^[[:space:]]*DLL Name:[[:space:]]*//p')
if [ -z "$dlls" ]; then
    # Every program imports at least from kernel32; an empty list means the
    # dump was not understood, which must not pass as a clean result.
    echo "check-imports: no imported DLLs listed for $file" >&2
    exit 1
fi

allowed=" $(for name in $SYSTEM_DLLS "$@"; do Plain "$name"; done | tr '\n' ' ')"
status=0
for dll in $dlls; do
    case "$allowed" in
    *" $(Plain "$dll") "*)
        echo "imports $dll" ;;
    *)
        echo "imports $dll: refused, not a Windows system DLL" >&2
        status=1 ;;
    esac
done
exit $status
