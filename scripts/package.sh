#!/bin/sh
# Builds the installer package of the 32-bit programs, values-<version>.msi,
# and its setup program, values-<version>-setup.exe, at the top of
# build/windows, from the programs make test tests there, with SHA256SUMS
# beside them, and says where they are. When VALUES_SIGN_PFX names a
# certificate (a PKCS#12 file; its password in VALUES_SIGN_PASSWORD, a
# timestamp server in VALUES_SIGN_TIMESTAMP), both are built signed as well,
# in build/windows/signed; the programs, the package and the setup program of
# build/windows stay unsigned.
set -e
# A certificate is named from where make package was started.
case ${VALUES_SIGN_PFX:-} in
'' | /*) ;;
*) VALUES_SIGN_PFX=$PWD/$VALUES_SIGN_PFX ;;
esac
cd "$(dirname "$0")/.."

# The i686 tree configured as scripts/test.sh configures it, so that nothing
# is built again.
cmake --preset windows -DVALUES_RUN_WINE_TESTS=ON >/dev/null
cmake --build --preset windows --target Setup

package=$(sed -n 's/^VALUES_PACKAGE:INTERNAL=//p' build/windows/CMakeCache.txt)
if [ -z "$package" ] || [ ! -s "$package" ]; then
    echo "No installer package was built (are wixl and msitools installed?)" >&2
    exit 1
fi
if [ -n "${VALUES_SIGN_PFX:-}" ]; then
    export VALUES_SIGN_PFX
    cmake --build --preset windows --target values_signed_release
    package=$(dirname "$package")/signed/$(basename "$package")
    echo "The setup program and its installer package (x86, install values for the current user), signed:"
else
    echo "Not signed: VALUES_SIGN_PFX names no certificate."
    echo "The setup program and its installer package (x86, install values for the current user):"
fi
echo "  ${package%.msi}-setup.exe"
echo "  $package"
echo "  $(dirname "$package")/SHA256SUMS"
