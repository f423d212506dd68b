#!/bin/sh
# Measures the figures of the README's Performance section and prints them.
# Each figure has its own section below: a function that builds what it
# needs, measures, and prints "name: figure" lines; the list at the end says
# which sections run. A section that cannot measure says why and fails the
# run; a missed target is reported, not failed (these are measurements, not
# tests).
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

SECTIONS="NumberText"

status=0
for section in $SECTIONS; do
    $section || { echo "== $section: could not measure"; status=1; }
done
exit $status
