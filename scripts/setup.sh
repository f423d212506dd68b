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
wixl msitools locales"

missing=""
for package in $PACKAGES "$@"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    case "$status" in
    *" installed") ;;
    *) missing="$missing $package" ;;
    esac
done
# The code page 932 tests run Wine in this locale; without it generated,
# Wine cannot name files with Japanese characters.
japanese=""
locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\{0,1\}8' || japanese=ja_JP.UTF-8
[ -z "$missing$japanese" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    echo "These are missing and this user cannot install them:$missing $japanese" >&2
    exit 1
fi

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
    fi
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null
fi

if [ -n "$japanese" ]; then
    echo "Generating the locale $japanese"
    if grep -q '^# *ja_JP\.UTF-8 UTF-8' /etc/locale.gen; then
        $sudo sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    elif ! grep -q '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    fi
    $sudo locale-gen >/dev/null
fi
