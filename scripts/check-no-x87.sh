#!/bin/sh
# Fails when the code of an object file or library computes with the x87
# unit. On 32-bit x86 that unit's 80-bit intermediates round doubles
# differently from every other build, so the model is compiled for SSE2
# there; its code may still hand a double back on the x87 stack (the 32-bit
# calling convention asks for it), but it computes nothing there.
#   check-no-x87.sh OBJDUMP FILE
objdump=$1
file=$2
if ! code=$("$objdump" -d "$file" 2>&1); then
    printf '%s\n' "$code" >&2
    echo "check-no-x87: $objdump cannot read $file" >&2
    exit 1
fi
if ! printf '%s\n' "$code" | grep -q 'ret'; then
    echo "check-no-x87: no code in $file" >&2
    exit 1
fi
x87=$(printf '%s\n' "$code" |
    grep -E '[[:space:]]f(i?(add|sub|subr|mul|div|divr)|sqrt|rndint|scale|prem)[a-z0-9]*[[:space:]]')
if [ -n "$x87" ]; then
    echo "check-no-x87: x87 arithmetic in $file:" >&2
    printf '%s\n' "$x87" >&2
    exit 1
fi
echo "no x87 arithmetic in $file"
