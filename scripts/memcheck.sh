#!/bin/sh
# Runs every native test program under valgrind memcheck, failing on any
# memory error or leak. Valgrind and the sanitizers do not mix, so the
# native suite is built again without them in build/memcheck. Each program
# runs whole, once, in a scratch folder of its own.
set -e
cd "$(dirname "$0")/.."
tree=$PWD/build/memcheck

cmake -S . -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVALUES_SANITIZE=OFF >/dev/null
cmake --build "$tree"

status=0
programs=0
for program in "$tree"/bin/*; do
    [ -f "$program" ] && [ -x "$program" ] || continue
    programs=$((programs + 1))
    name=$(basename "$program")
    log=$tree/logs/$name.memcheck.log
    work=$tree/work/$name
    rm -rf "$work"
    mkdir -p "$work" "$tree/logs"
    printf '== %s: ' "$name"
    if (cd "$work" && valgrind --quiet --error-exitcode=99 --leak-check=full \
        --show-leak-kinds=definite,indirect,possible \
        --errors-for-leak-kinds=definite,indirect,possible --track-origins=yes \
        --log-file="$log" "$program" --gtest_brief=1 >"$log.out" 2>&1); then
        tail -n 1 "$log.out"
    else
        echo "FAILED"
        cat "$log" "$log.out"
        status=1
    fi
done
[ "$programs" -gt 0 ] || { echo "no test programs in $tree/bin"; exit 1; }
[ $status -eq 0 ] && echo "== memcheck: no errors, no leaks in $programs test program(s)" ||
    echo "== memcheck: ERRORS (logs in $tree/logs)"
exit $status
