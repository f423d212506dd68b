#!/bin/sh
# Passes only when a command fails the way it should: a failing status and a
# line of its output that matches the pattern (an extended regular
# expression). With --within, it must also end within that many seconds: a
# crash that leaves a debugger or a dialog waiting holds it far longer. The
# checks' own tests, and the test that a crash under Wine is reported at once.
#   expect-failure.sh [--within SECONDS] PATTERN command [arguments...]
limit=
if [ "$1" = --within ]; then
    limit=$2
    shift 2
fi
pattern=$1
shift

start=$(date +%s)
if [ -n "$limit" ]; then
    output=$(timeout "$((limit + 30))" "$@" 2>&1)
else
    output=$("$@" 2>&1)
fi
status=$?
elapsed=$(($(date +%s) - start))
printf '%s\n' "$output"

failed=0
if [ $status -eq 0 ]; then
    echo "expect-failure: the command passed" >&2
    failed=1
elif [ -n "$limit" ] && [ $status -eq 124 ]; then
    echo "expect-failure: the command was still running after $((limit + 30)) s" >&2
    failed=1
fi
if ! printf '%s\n' "$output" | grep -Eq "$pattern"; then
    echo "expect-failure: nothing in the output matches \"$pattern\"" >&2
    failed=1
fi
if [ -n "$limit" ] && [ $elapsed -gt "$limit" ]; then
    echo "expect-failure: it took $elapsed s to end, more than $limit s" >&2
    failed=1
fi
[ $failed -eq 0 ] && echo "expect-failure: failed as it should, with status $status, in $elapsed s"
exit $failed
