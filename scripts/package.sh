#!/bin/sh
# Builds the installer package of the 32-bit programs, values-<version>.msi,
# at the top of build/windows, from the programs make test tests there, and
# says where it is.
set -e
cd "$(dirname "$0")/.."

# The i686 tree configured as scripts/test.sh configures it, so that nothing
# is built again.
cmake --preset windows -DVALUES_RUN_WINE_TESTS=ON >/dev/null
cmake --build --preset windows --target values_package

package=$(sed -n 's/^VALUES_PACKAGE:INTERNAL=//p' build/windows/CMakeCache.txt)
if [ -z "$package" ] || [ ! -s "$package" ]; then
    echo "No installer package was built (are wixl and msitools installed?)" >&2
    exit 1
fi
echo "The installer package (x86, installs values for the current user):"
echo "  $package"
