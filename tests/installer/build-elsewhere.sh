#!/bin/sh
# The same commit gives the same bytes: builds the three programs and the
# package a second time, from a copy of the source in another folder into a
# build folder of its own, with the first tree's commit time, and compares
# them byte for byte with the first tree's, SHA256SUMS too. A difference
# names the file and where it starts (a folder's path written into a file
# shows up here, as both folders differ). About half a minute per tree.
#   build-elsewhere.sh SOURCE TREE WORK TOOLCHAIN-FILE BUILD-TYPE GENERATOR EPOCH PACKAGE-NAME
set -e
source=$1
tree=$2
work=$3
toolchain=$(basename "$4")
build_type=$5
generator=$6
epoch=$7
package=$8
[ -n "$epoch" ] || { echo "build-elsewhere: $tree has no commit time to build with" >&2; exit 1; }

rm -rf "$work"
mkdir -p "$work/source"
tar -C "$source" --exclude=./build --exclude=./.git --exclude=./.cache -cf - . |
    tar -C "$work/source" -xf -
SOURCE_DATE_EPOCH=$epoch cmake -S "$work/source" -B "$work/build" -G "$generator" \
    -DCMAKE_TOOLCHAIN_FILE="$work/source/cmake/$toolchain" -DCMAKE_BUILD_TYPE="$build_type" \
    -DVALUES_TESTS=OFF
cmake --build "$work/build"

status=0
for file in bin/values.exe bin/Vantrel.dll bin/Uninstall.exe "$package" SHA256SUMS; do
    cmp "$tree/$file" "$work/build/$file" || status=1
done
if [ $status -eq 0 ]; then
    echo "build-elsewhere: the programs, $package and SHA256SUMS of both builds are the same"
    rm -rf "$work"
fi
exit $status
