#!/bin/sh
# Checks a package that build-package.sh --sign made with a throwaway
# certificate, as someone checking a signed release does:
# - the package and the three programs in it verify against the certificate;
# - a signed program's Authenticode digest is the one computed from the
#   tested, unsigned program, which itself carries no signature;
# - the package's File table gives the signed programs' sizes, and its package
#   code is not the unsigned package's;
# - the package built unsigned from its own signed programs has the signed
#   package's digest: signing added the signatures and nothing else;
# - one flipped byte in a signed program or in the package fails verification.
#   check-signed-package.sh SIGNED-PACKAGE CERTIFICATE.pem CONTENTS BIN-FOLDER UNSIGNED-PACKAGE
#       VERSION PRODUCT-CODE PUBLISHER BUILD-PACKAGE-COMMAND... x86|x64
# CONTENTS is the signed package unpacked by msiextract; the command is
# build-package.sh's up to its architecture.
if [ $# -lt 10 ]; then
    echo "usage: check-signed-package.sh SIGNED-PACKAGE CERTIFICATE.pem CONTENTS BIN-FOLDER UNSIGNED-PACKAGE VERSION PRODUCT-CODE PUBLISHER BUILD-PACKAGE-COMMAND... x86|x64" >&2
    exit 2
fi
package=$1
certificate=$2
programs=$3/Programs/values
bin=$4
unsigned=$5
version=$6
product_code=$7
publisher=$8
shift 8
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0

Fail() {
    echo "check-signed-package: $*" >&2
    status=1
}

Verify() {
    osslsigncode verify -CAfile "$certificate" -in "$1" >"$work/verified" 2>&1
}

# The Authenticode digest of an unsigned file, as osslsigncode computes it
# for signing (with its options: -add-msi-dse for a package).
UnsignedDigest() {
    rm -f "$work/data"
    osslsigncode extract-data -h sha256 "$@" -out "$work/data" >/dev/null &&
        openssl asn1parse -inform DER -in "$work/data" |
        sed -n 's/.*OCTET STRING *\[HEX DUMP\]://p' | tail -n 1
}

# A copy of a file with the byte at an offset changed.
Flipped() {
    python3 -c 'import sys
data = bytearray(open(sys.argv[1], "rb").read())
data[int(sys.argv[2])] ^= 0x20
open(sys.argv[3], "wb").write(data)' "$1" "$2" "$work/flipped"
    echo "$work/flipped"
}

Verify "$package" || Fail "$package does not verify: $(cat "$work/verified")"
sizes=$(msiinfo export "$package" File | tr -d '\r')
for program in values.exe Vantrel.dll Uninstall.exe; do
    if ! Verify "$programs/$program"; then
        Fail "$program in the package does not verify: $(cat "$work/verified")"
        continue
    fi
    signed=$(sed -n 's/^Current message digest *: *\([0-9A-F]*\).*/\1/p' "$work/verified")
    computed=$(UnsignedDigest -in "$bin/$program")
    [ -n "$signed" ] && [ "$signed" = "$computed" ] ||
        Fail "$program: signed digest ${signed:-none}, the unsigned program's ${computed:-none}"
    osslsigncode verify -in "$bin/$program" 2>&1 | grep -q "No signature found" ||
        Fail "$bin/$program was signed"
    listed=$(printf '%s\n' "$sizes" | awk -F '\t' -v name="$program" '$1 == name { print $4 }')
    [ "$listed" = "$(wc -c <"$programs/$program")" ] ||
        Fail "the File table gives $program ${listed:-no} bytes, the signed one has $(wc -c <"$programs/$program")"
done

PackageCode() { msiinfo suminfo "$1" | sed -n 's/^Revision number (UUID): //p'; }
[ "$(PackageCode "$package")" != "$(PackageCode "$unsigned")" ] ||
    Fail "the signed and the unsigned package have the same package code $(PackageCode "$package")"

"$@" "$programs" "$version" "$product_code" "$publisher" "$work/rebuilt/$(basename "$package")"
rebuilt=$(UnsignedDigest -add-msi-dse -in "$work/rebuilt/$(basename "$package")")
Verify "$package"
signed=$(sed -n 's/^Current DigitalSignature *: *\([0-9A-F]*\).*/\1/p' "$work/verified")
[ -n "$signed" ] && [ "$signed" = "$rebuilt" ] ||
    Fail "the package's digest is ${signed:-none}, that of one built from its programs ${rebuilt:-none}"

# A byte of the code, and a letter of the publisher's name in the package's
# strings.
! Verify "$(Flipped "$programs/values.exe" 1100)" ||
    Fail "values.exe with a flipped byte still verifies"
at=$(grep -abo "values developers" "$package" | head -n 1 | cut -d: -f1)
[ -n "$at" ] && ! Verify "$(Flipped "$package" "$at")" ||
    Fail "the package with a flipped byte (at ${at:-no offset}) still verifies"

[ $status -eq 0 ] && echo "check-signed-package: $package and its programs verify, with the unsigned programs' digests"
exit $status
