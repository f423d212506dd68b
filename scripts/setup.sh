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
wixl msitools locales openssl"

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
# Release signing and its checks need osslsigncode 2.9 or later (the first
# that computes the digest of an unsigned program), which Debian 12 has in
# its backports; its own is 2.5.
signing=""
if ! dpkg-query -W -f='${Status}' osslsigncode 2>/dev/null | grep -q " installed$" ||
    dpkg --compare-versions "$(dpkg-query -W -f='${Version}' osslsigncode)" lt 2.9; then
    signing=osslsigncode
fi
[ -z "$missing$japanese$signing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
    sudo=""
elif command -v sudo >/dev/null 2>&1; then
    sudo="sudo"
else
    echo "These are missing and this user cannot install them:$missing $japanese $signing" >&2
    exit 1
fi

# A mirror in the middle of a sync may fail one package list; the others,
# and the packages they name, are still good, so the install goes on.
UpdateLists()
{
    $sudo apt-get update -qq ||
        echo "setup.sh: some package lists could not be read now; going on with the others" >&2
}

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    export DEBIAN_FRONTEND=noninteractive
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
    fi
    UpdateLists
    # shellcheck disable=SC2086
    if ! $sudo apt-get install -y -qq --no-install-recommends $missing >/dev/null; then
        # 32-bit Wine needs the 32-bit libraries at the very versions of the
        # 64-bit ones, so a mirror that cannot give the 32-bit lists now
        # stops it alone. Everything else is installed, and the i686 tree is
        # then built and checked but not run under Wine, as on a machine that
        # cannot start 32-bit programs; the next make test tries again.
        case " $missing " in
        *" wine32:i386 "*) ;;
        *) exit 1 ;;
        esac
        echo "setup.sh: 32-bit Wine (wine32:i386) cannot be installed now; installing the rest" >&2
        rest=$(echo "$missing" | tr ' ' '\n' | grep -vx 'wine32:i386' | tr '\n' ' ')
        # shellcheck disable=SC2086
        [ -z "${rest## }" ] ||
            $sudo apt-get install -y -qq --no-install-recommends $rest >/dev/null
    fi
fi

if [ -n "$signing" ]; then
    echo "Installing: osslsigncode from bookworm-backports"
    if ! grep -rqs "bookworm-backports" /etc/apt/sources.list /etc/apt/sources.list.d/; then
        # The backports come from the mirror the machine already uses.
        mirror=$(sed -n 's/^URIs: *\([^ ]*\).*/\1/p' /etc/apt/sources.list.d/debian.sources \
            2>/dev/null | head -n 1)
        [ -n "$mirror" ] || mirror=$(grep -v cdrom /etc/apt/sources.list 2>/dev/null |
            sed -n 's/^deb  *\(\[[^]]*\]  *\)\{0,1\}\([^ ]*\)  *bookworm .*/\2/p' | head -n 1)
        if [ -z "$mirror" ]; then
            echo "No Debian mirror found in /etc/apt to add bookworm-backports from" >&2
            exit 1
        fi
        echo "deb $mirror bookworm-backports main" |
            $sudo tee /etc/apt/sources.list.d/bookworm-backports.list >/dev/null
    fi
    export DEBIAN_FRONTEND=noninteractive
    UpdateLists
    $sudo apt-get install -y -qq --no-install-recommends -t bookworm-backports osslsigncode >/dev/null
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
