#!/bin/sh
# The same commit gives the same bytes: builds the programs, the package and
# the setup program again, from a copy of the source in another folder into another build
# folder, with the tree's commit time, and compares them and SHA256SUMS with
# the tree's byte for byte (a folder's path written into a file differs too).
#   build-elsewhere.sh SOURCE TREE WORK TOOLCHAIN-FILE BUILD-TYPE GENERATOR EPOCH PACKAGE-NAME SETUP-NAME
set -e
work=$3
[ -n "$7" ] || { echo "build-elsewhere: $2 has no commit time to build with" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work/source"
tar -C "$1" --exclude=./build --exclude=./.git --exclude=./.cache -cf - . | tar -C "$work/source" -xf -
SOURCE_DATE_EPOCH=$7 cmake -S "$work/source" -B "$work/build" -G "$6" -DVALUES_TESTS=OFF \
    -DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/$(basename "$4")" -DCMAKE_BUILD_TYPE="$5"
cmake --build "$work/build"
status=0
for file in bin/values.exe bin/Vantrel.dll bin/Uninstall.exe "$8" "$9" SHA256SUMS; do
    cmp "$2/$file" "$work/build/$file" || status=1
done
[ $status -ne 0 ] || { echo "build-elsewhere: both builds are the same"; rm -rf "$work"; }
exit $status
