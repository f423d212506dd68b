#!/bin/sh
# Totals the GoogleTest reports the Wine runs wrote: ctest counts a Windows
# test program once, however many cases it holds.
[ -d "$1" ] || exit 0
cat "$1"/*.xml 2>/dev/null | awk '
    /<testsuites / {
        programs++
        if (match($0, / tests="[0-9]+"/)) tests += substr($0, RSTART + 8, RLENGTH - 9)
        if (match($0, / failures="[0-9]+"/)) failures += substr($0, RSTART + 11, RLENGTH - 12)
        if (match($0, / disabled="[0-9]+"/)) disabled += substr($0, RSTART + 11, RLENGTH - 12)
    }
    END {
        if (programs)
            printf "== Wine: %d test cases in %d programs, %d failed\n", tests - disabled, programs, failures
    }'
