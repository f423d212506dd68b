#!/bin/sh
# The package make-signed-package.sh signed, checked as a signed release is:
# it, its programs and the setup program beside it verify, each with the
# digest of its unsigned counterpart (the tree's program, which
# installer_package_is_reproducible finds unsigned; the package built from
# the signed programs; the setup program linked with the signed package);
# the setup carries the signed package; its package code is new; one changed
# byte in a signed file fails verification.
#   check-signed-package.sh SIGNED-PACKAGE BIN-FOLDER UNSIGNED-PACKAGE UNSIGNED-SETUP VERSION
#       PRODUCT-CODE PUBLISHER BUILD-PACKAGE-COMMAND... x86|x64  (the command up to its architecture)
package=$1
bin=$2
signed=$(dirname "$package")
programs=$signed/contents/Programs/values
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
Fail() {
    echo "check-signed-package: $*" >&2
    status=1
}
Verify() {
    osslsigncode verify -CAfile "$signed/publisher.pem" -in "$1" >"$work/verified" 2>&1
}

package_code=$(msiinfo suminfo "$package" | grep "^Revision number")
[ "$package_code" != "$(msiinfo suminfo "$3" | grep "^Revision number")" ] ||
    Fail "the unsigned package has the same $package_code"
setup=$4 version=$5 product_code=$6 publisher=$7
shift 7
"$@" "$programs" "$version" "$product_code" "$publisher" "$work/rebuilt.msi" >/dev/null
for pair in "$package -add-msi-dse $work/rebuilt.msi DigitalSignature" \
    "$programs/values.exe - $bin/values.exe message" "$programs/Vantrel.dll - $bin/Vantrel.dll message" \
    "$programs/Uninstall.exe - $bin/Uninstall.exe message" \
    "$signed/$(basename "$setup") - $setup message"; do
    read -r file option counterpart label <<EOF
$pair
EOF
    Verify "$file" || Fail "$file does not verify: $(cat "$work/verified")"
    digest=$(sed -n "s/^Current $label[a-z ]*: *\([0-9A-F]*\).*/\1/p" "$work/verified")
    rm -f "$work/data"
    [ "$option" != - ] || option=""
    osslsigncode extract-data -h sha256 $option -in "$counterpart" -out "$work/data" >/dev/null
    computed=$(openssl asn1parse -inform DER -in "$work/data" | sed -n 's/.*\[HEX DUMP\]://p' | tail -n 1)
    [ -n "$digest" ] && [ "$digest" = "$computed" ] ||
        Fail "$file: signed digest ${digest:-none}, that of $counterpart ${computed:-none}"
done

python3 -c 'import sys; sys.exit(open(sys.argv[2], "rb").read() not in open(sys.argv[1], "rb").read())' \
    "$signed/$(basename "$setup")" "$package" || Fail "the signed setup program does not carry $package"

# A copy of a signed file with a letter of a text in it made a capital.
Flipped() {
    at=$(grep -abo "$2" "$1" | head -n 1 | cut -d: -f1)
    cp "$1" "$work/flipped" && [ -n "$at" ] &&
        printf '%s' "$3" | dd of="$work/flipped" bs=1 seek="$at" conv=notrunc 2>/dev/null
}
Flipped "$programs/values.exe" "cannot be run" C && ! Verify "$work/flipped" ||
    Fail "values.exe with a byte changed still verifies"
Flipped "$package" "values developers" V && ! Verify "$work/flipped" ||
    Fail "the package with a byte changed still verifies"
[ $status -eq 0 ] && echo "check-signed-package: $package and its programs verify, with their unsigned digests"
exit $status
