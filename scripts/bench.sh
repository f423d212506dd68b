#!/bin/sh
# Measures the figures of the README's Performance section and prints them.
# Each figure has its own section below: a function that builds what it
# needs, measures, and prints "name: figure" lines; the list at the end says
# which sections run. A section that cannot measure says why and fails the
# run; a missed target is reported, not failed (these are measurements, not
# tests).
#   scripts/bench.sh [SECTION...]     all sections, or only those named
set -e
cd "$(dirname "$0")/.."
REPORTS=build/bench/reports

# Median of BENCHMARK's metric (cpu_time or items_per_second) in a Google
# Benchmark JSON report written with repetitions.
Median()
{
    awk -v want="\"$2_median\"" -v metric="\"$3\"" '
        /"name":/ { split($0, f, ": "); name = f[2]; sub(/,$/, "", name) }
        $1 == metric ":" && name == want { v = $2; sub(/,$/, "", v); print v; exit }
    ' "$1"
}

# Ratio a / b to two decimals.
Ratio()
{
    awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'
}

# FormatValue and ParseValue per call, against bare snprintf("%.8g") and
# strtod on the same inputs, in the same run. Target: FormatValue within 1.5x
# of snprintf.
NumberText()
{
    echo "== number text (native, Release)"
    cmake --preset bench >/dev/null
    cmake --build --preset bench
    mkdir -p "$REPORTS"
    report=$REPORTS/number_text.json
    # Interleaved repetitions, so a burst of load elsewhere on the machine
    # falls on both sides of a ratio rather than on one.
    # (Debian's library warns that it was built for debugging; that is its own
    # bookkeeping, not the code measured.)
    build/bench/bin/number_text_bench --benchmark_repetitions=10 --benchmark_min_time=0.2 \
        --benchmark_enable_random_interleaving=true --benchmark_display_aggregates_only=true \
        --benchmark_out="$report" --benchmark_out_format=json 2>&1 |
        grep -E '^(Run on|Load Average|Benchmark|BM_.*_median)'

    for name in FormatValue Snprintf ParseValue Strtod; do
        rate=$(Median "$report" BM_$name items_per_second)
        [ -n "$rate" ] || { echo "no median for $name in $report" >&2; return 1; }
        eval "ns_$name=\$(awk -v r=\"$rate\" 'BEGIN { printf \"%.1f\", 1e9 / r }')"
    done
    format_ratio=$(Ratio "$ns_FormatValue" "$ns_Snprintf")
    parse_ratio=$(Ratio "$ns_ParseValue" "$ns_Strtod")
    echo "FormatValue: $ns_FormatValue ns per call; snprintf %.8g: $ns_Snprintf ns; ratio $format_ratio"
    echo "ParseValue: $ns_ParseValue ns per call; strtod: $ns_Strtod ns; ratio $parse_ratio"
    if awk -v r="$format_ratio" 'BEGIN { exit !(r <= 1.5) }'; then
        echo "target FormatValue <= 1.5x snprintf: met"
    else
        echo "target FormatValue <= 1.5x snprintf: MISSED"
    fi
}

# Configures and builds targets of a Windows tree the way scripts/test.sh
# does, so that nothing else is built again, quietly unless the build fails.
#   BuildWindows PRESET TARGET...
BuildWindows()
{
    preset=$1
    shift
    log=$REPORTS/build-$preset.log
    mkdir -p "$REPORTS"
    if ! { cmake --preset "$preset" -DVALUES_RUN_WINE_TESTS=ON &&
        cmake --build --preset "$preset" --target "$@"; } \
        >"$log" 2>&1; then
        cat "$log"
        return 1
    fi
}

# Runs a Windows program under Wine on a virtual display, its output kept.
#   RunUnderWine REPORT PROGRAM [ARGUMENTS...]
RunUnderWine()
{
    report=$1
    shift
    scripts/with-wine.sh "$WINE_ARCH" "$WINE_PREFIX_DIR" \
        scripts/wine-run "$WINE_ARCH" "$WINE_PREFIX_DIR" "$@" >"$report" 2>&1
    status=$?
    cat "$report"
    return $status
}

# Whether a <= b, for decimal numbers.
AtMost()
{
    awk -v a="$1" -v b="$2" 'BEGIN { exit !(a <= b) }'
}

Target()
{
    if AtMost "$2" "$3"; then
        echo "target $1: met"
    else
        echo "target $1: MISSED"
    fi
}

# Sizes of the three delivered files, stripped, from the Release (MinSizeRel)
# builds: the i686 tree is the product and is held to the targets; the
# x86-64 tree is shown for reference. Then the DLLs each imports.
Sizes()
{
    echo "== sizes (stripped, MinSizeRel) and imported DLLs"
    for preset in windows windows-x64; do
        BuildWindows "$preset" values Vantrel Uninstall || return 1
    done
    scratch=$(mktemp -d)
    for preset in windows windows-x64; do
        if [ $preset = windows ]; then triple=i686-w64-mingw32; else triple=x86_64-w64-mingw32; fi
        echo "-- build/$preset ($triple)"
        for file in values.exe Vantrel.dll Uninstall.exe; do
            built=build/$preset/bin/$file
            cp "$built" "$scratch/$file"
            $triple-strip "$scratch/$file" || { rm -rf "$scratch"; return 1; }
            size=$(wc -c <"$scratch/$file")
            note=""
            [ "$size" -eq "$(wc -c <"$built")" ] || note=" (as built, unstripped: $(wc -c <"$built"))"
            # values.exe: 112 KiB, since it opens projects from the command
            # line, drops and a recent list, carries its row pictures and
            # describes its warnings to screen readers (it was 96 KiB before).
            if [ $file = values.exe ]; then limit=114688; else limit=32768; fi
            echo "$file: $size bytes, $(awk -v s="$size" 'BEGIN { printf "%.1f", s / 1024 }') KiB$note"
            extra=""
            [ $file = values.exe ] && extra=Vantrel.dll
            # shellcheck disable=SC2086
            if imports=$(scripts/check-imports.sh $triple-objdump "$built" $extra 2>&1); then
                echo "  imports: $(printf '%s\n' "$imports" | sed 's/^imports //' | tr '\n' ' ' | sed 's/ $//')"
                imported=yes
            else
                printf '%s\n' "$imports" | sed 's/^/  /'
                imported=no
            fi
            if [ $preset = windows ]; then
                Target "$file <= $((limit / 1024)) KiB" "$size" "$limit"
                if [ $imported = yes ]; then
                    echo "target $file imports only Windows system DLLs${extra:+ and $extra}: met"
                else
                    echo "target $file imports only Windows system DLLs${extra:+ and $extra}: MISSED"
                fi
            fi
        done
    done
    rm -rf "$scratch"
}

# The start-up of values under Wine against values' own window with nothing
# done in it (its template, menu and manifest after InitCommonControls), and
# against a minimal dialog program, from a harness that starts them in turn.
# Target: what values itself does at start-up (read its files, load its
# icons, fill the window) adds at most 30 % to its own window. The
# minimal program is a plain figure: under Wine the window of 29 controls
# with common controls 6 alone costs half as much again as an empty dialog,
# which no work of the program's can win back.
StartUp()
{
    echo "== start-up under Wine ($WINE_TREE)"
    BuildWindows "$WINE_PRESET" startup_bench || return 1
    RunUnderWine "$REPORTS/startup.txt" "$WINE_TREE/bin/startup_bench.exe" 20 || return 1
    own=$(sed -n "s/^against values' window alone: ratio //p" "$REPORTS/startup.txt")
    minimal=$(sed -n 's/^start-up ratio: //p' "$REPORTS/startup.txt")
    [ -n "$own" ] && [ -n "$minimal" ] ||
        { echo "no start-up ratios in $REPORTS/startup.txt" >&2; return 1; }
    echo "start-up against values' own window: ${own}x; against the minimal dialog program: ${minimal}x"
    Target "start-up within 1.3x of values' own window" "$own" 1.3
}

# One keystroke in the main window with five ranges in use against one bare
# SetDlgItemTextA of a box, in one process under Wine. The program fails when
# a keystroke writes a box more than once, writes the box being typed in, or
# writes anything else; that fails the section.
Keystroke()
{
    echo "== one keystroke under Wine ($WINE_TREE)"
    BuildWindows "$WINE_PRESET" keystroke_bench || return 1
    RunUnderWine "$REPORTS/keystroke.txt" "$WINE_TREE/bin/keystroke_bench.exe" || return 1
    grep -q '^keystroke ratio: ' "$REPORTS/keystroke.txt" ||
        { echo "no keystroke ratio in $REPORTS/keystroke.txt" >&2; return 1; }
    grep -q '^steady typing, .* longest wait of a key ' "$REPORTS/keystroke.txt" ||
        { echo "no longest wait of a typed key in $REPORTS/keystroke.txt" >&2; return 1; }
}

. scripts/wine-trees.sh
WINE_PRESET=$RUN_PRESET
WINE_TREE=build/$WINE_PRESET
WINE_ARCH=$(TreeArch "$WINE_PRESET")
WINE_PREFIX_DIR=$PWD/$WINE_TREE/wineprefix
SECTIONS="NumberText Sizes StartUp Keystroke"
# scripts/bench.sh SECTION... measures only the sections named.
[ $# -eq 0 ] || SECTIONS="$*"

status=0
for section in $SECTIONS; do
    $section || { echo "== $section: could not measure"; status=1; }
done
exit $status
