#!/bin/sh
# Lists a setup program in the SHA256SUMS of FOLDER, in place of a setup
# program listed there before. With --sign, a copy of it is signed into
# FOLDER first (sign.sh, with the certificate VALUES_SIGN_PFX names).
#   add-setup.sh [--sign] SETUP.exe FOLDER
set -e
here=$(cd "$(dirname "$0")" && pwd)
sign=""
if [ "$1" = --sign ]; then
    sign=yes
    shift
fi
if [ $# -ne 2 ]; then
    echo "usage: add-setup.sh [--sign] SETUP.exe FOLDER" >&2
    exit 2
fi
name=$(basename "$1")
folder=$2
sums=$folder/SHA256SUMS
[ -s "$sums" ] || { echo "add-setup: $sums is missing" >&2; exit 1; }
if [ -n "$sign" ]; then
    . "$here/sign.sh"
    CanSign
    cp "$1" "$folder/$name.part"
    Sign "$folder/$name.part"
    mv "$folder/$name.part" "$folder/$name"
fi
{
    grep -v '  values-.*-setup\.exe$' "$sums" || true
    (cd "$folder" && sha256sum "$name")
} >"$sums.part"
mv "$sums.part" "$sums"
