#!/bin/sh
# Installs what the build and the tests need on a Debian 12 machine, and
# nothing when it is all there already. Extra package names may be given as
# arguments (the benchmark, fuzzing and run targets add their own).
set -e

PACKAGES="cmake ninja-build g++ make file python3
g++-mingw-w64-i686-posix binutils-mingw-w64-i686
g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
wine wine64 wine32:i386 fonts-wine xvfb xauth
libgtest-dev googletest
wixl msitools"

missing=""
for package in $PACKAGES "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
    *" installed") ;;
    *) missing="$missing $package" ;;
    esac
done
[ -z "$missing" ] && exit 0

echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    echo "These packages are missing and this user cannot install them:$missing" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
# shellcheck disable=SC2086
$sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
