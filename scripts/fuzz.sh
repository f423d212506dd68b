#!/bin/sh
# Runs each libFuzzer target for a bounded time (FUZZ_SECONDS, 60 by default),
# or for a number of inputs (FUZZ_RUNS), on a working copy of its committed
# seed corpus, and prints the executions run, the seconds taken and what was
# found. Finds are kept in build/fuzz/findings/<target>/; rerun one with
# build/fuzz/bin/<target>_fuzzer <file>. Exits non-zero when anything was
# found.
set -e
cd "$(dirname "$0")/.."
SECONDS_EACH=${FUZZ_SECONDS:-60}
if [ -n "$FUZZ_RUNS" ]; then
    BOUND="-runs=$FUZZ_RUNS"
    BOUNDED="$FUZZ_RUNS inputs"
else
    BOUND="-max_total_time=$SECONDS_EACH"
    BOUNDED="$SECONDS_EACH s"
fi

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

status=0

# Fuzz TARGET MAX_LEN: one target, inputs of at most MAX_LEN bytes.
Fuzz()
{
    target=$1
    corpus=build/fuzz/corpus/$target
    findings=build/fuzz/findings/$target
    log=build/fuzz/logs/$target.log
    mkdir -p "$corpus" "$findings" build/fuzz/logs
    cp fuzz/corpus/"$target"/* "$corpus"/
    rm -f "$findings"/*

    echo "== $target: $BOUNDED"
    started=$(date +%s)
    set +e
    build/fuzz/bin/"$target"_fuzzer "$corpus" "$BOUND" -max_len="$2" \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$findings"/ >"$log" 2>&1
    result=$?
    set -e
    took=$(($(date +%s) - started))

    runs=$(awk '/^stat::number_of_executed_units:/ { print $NF }' "$log")
    files=$(find "$corpus" -type f | wc -l)
    found=$(find "$findings" -type f | wc -l)
    echo "$target: ${runs:-?} executions in $took s, corpus $files inputs, findings $found"
    # Whatever the target itself reports at the end (counts of checks made).
    grep -E "^${target}_fuzzer: " "$log" || true
    if [ "$result" -ne 0 ] || [ "$found" -ne 0 ]; then
        grep -E '^(==[0-9]+==ERROR|SUMMARY|[A-Za-z]+(Value|Line|Path): )' "$log" | head -5
        ls "$findings"
        echo "(full log: $log)"
        status=1
    fi
}

Fuzz parse_value 127
Fuzz format_value 8
# Images up to a little past the state layout: bytes past it are ignored.
Fuzz decode_state 1400
# Command lines and handed paths of a few hundred bytes reach every branch;
# the handed-path target builds the longest paths itself.
Fuzz command_line 600
Fuzz handed_path 600

exit $status
