#!/bin/sh
# Signs the tree's package as make package does, with a throwaway certificate:
# WORK/PACKAGE-NAME, WORK/publisher.pem, and the package unpacked in WORK/contents.
#   make-signed-package.sh WORK PACKAGE-NAME BUILD-PACKAGE-COMMAND...   (all but the output)
set -e
work=$1
name=$2
shift 2
rm -rf "$work"
mkdir -p "$work"
openssl req -x509 -newkey rsa:2048 -nodes -days 3650 -subj "/CN=values test publisher" \
    -addext extendedKeyUsage=codeSigning -keyout "$work/publisher.key" -out "$work/publisher.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/publisher.key" -in "$work/publisher.pem" \
    -out "$work/publisher.pfx" -passout pass:throwaway
VALUES_SIGN_PFX=$work/publisher.pfx VALUES_SIGN_PASSWORD=throwaway "$@" "$work/$name"
msiextract -C "$work/contents" "$work/$name" >/dev/null
