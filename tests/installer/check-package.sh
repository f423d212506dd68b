#!/bin/sh
# Checks a built installer package without installing it, so that it runs
# where Wine cannot run the package's programs (the x86 package on a
# 64-bit-only machine): its platform, its product code against the one
# Uninstall.exe opens, its version and publisher, each program's version as
# the installer will compare it, a per-user installation that asks for no
# administrator rights, its two dialogs, its registration for project files,
# and files byte-identical to the tree's tested programs.
#   check-package.sh x86|x64 PACKAGE BIN-FOLDER VERSION PRODUCT-CODE PUBLISHER
set -e
if [ $# -ne 6 ]; then
    echo "usage: check-package.sh x86|x64 PACKAGE BIN-FOLDER VERSION PRODUCT-CODE PUBLISHER" >&2
    exit 2
fi
arch=$1
package=$2
bin=$3
version=$4
product_code=$5
publisher=$6
status=0

Fail() {
    echo "check-package: $package: $*" >&2
    status=1
}

# The value of a row of the Property table, or nothing.
Property() {
    printf '%s\n' "$properties" | awk -F '\t' -v name="$1" '$1 == name { print $2 }'
}

[ -s "$package" ] || { echo "check-package: no package at $package" >&2; exit 1; }
summary=$(msiinfo suminfo "$package")
properties=$(msiinfo export "$package" Property | tr -d '\r')

if [ "$arch" = x86 ]; then template="Intel;1033"; machine="Intel 80386"; else
    template="x64;1033"; machine="x86-64"; fi
printf '%s\n' "$summary" | grep -qx "Template: $template" ||
    Fail "platform is not $template: $(printf '%s\n' "$summary" | grep Template)"

[ "$(Property ProductCode)" = "$product_code" ] ||
    Fail "product code $(Property ProductCode), not $product_code"
[ "$(Property ProductVersion)" = "$version" ] ||
    Fail "version $(Property ProductVersion), not $version"
[ "$(Property ProductName)" = values ] || Fail "product name $(Property ProductName)"
[ "$(Property Manufacturer)" = "$publisher" ] || Fail "publisher $(Property Manufacturer)"

# The installer replaces an installed program only with a newer version, as
# the package gives it: each program's row carries the version the program
# itself carries, the package's.
files=$(msiinfo export "$package" File | tr -d '\r')
for program in values.exe Vantrel.dll Uninstall.exe; do
    listed=$(printf '%s\n' "$files" | awk -F '\t' -v name="$program" '$1 == name { print $5 }')
    carried=$(python3 "$(dirname "$0")/../../scripts/check-pe.py" --print-version "$bin/$program") ||
        carried="none"
    [ "$listed" = "$version.0" ] && [ "$carried" = "$version.0" ] ||
        Fail "$program is listed as version ${listed:-none} and carries $carried, not $version.0"
done
# Uninstall.exe holds its parameters in UTF-16; without the zero bytes they
# read as plain text.
tr -d '\000' <"$bin/Uninstall.exe" | grep -qF "/i $product_code" ||
    Fail "Uninstall.exe does not open $product_code"

# Per user: no ALLUSERS, and the summary's word count says that no
# administrator rights are needed (bit 8).
[ -z "$(Property ALLUSERS)" ] || Fail "ALLUSERS=$(Property ALLUSERS): not a per-user package"
words=$(printf '%s\n' "$summary" | sed -n 's/^Source: \([0-9]*\).*/\1/p')
[ -n "$words" ] && [ $((words & 8)) -eq 8 ] ||
    Fail "the summary asks for administrator rights (word count ${words:-missing})"

for dialog in InstallDlg MaintenanceDlg; do
    msiinfo export "$package" InstallUISequence | grep -q "^$dialog	" ||
        Fail "no $dialog in the user interface sequence"
done

# Project files: values.Project, with its icon and an open command that
# starts values in the Start menu entry's working folder, offered under
# .prj's OpenWithProgids; nothing makes values the extension's default.
registry=$(msiinfo export "$package" Registry | tr -d '\r')
# The value of a row under HKCU, found by key and name (awk's -v would take
# the backslashes for escapes).
RegistryValue() {
    printf '%s\n' "$registry" | KEY=$1 NAME=$2 awk -F '\t' '
        $2 == 1 && $3 == ENVIRON["KEY"] && $4 == ENVIRON["NAME"] { print $5; found = 1 }
        END { exit !found }'
}
[ "$(RegistryValue 'Software\Classes\values.Project' '')" = "values project" ] ||
    Fail "no values.Project class"
[ "$(RegistryValue 'Software\Classes\values.Project\DefaultIcon' '')" = "[INSTALLFOLDER]values.exe,0" ] ||
    Fail "values.Project has not the program's icon"
command='"[INSTALLFOLDER]values.exe" /folder "[DATAFOLDER]" "%1"'
[ "$(RegistryValue 'Software\Classes\values.Project\shell\open\command' '')" = "$command" ] ||
    Fail "values.Project does not open with $command"
RegistryValue 'Software\Classes\.prj\OpenWithProgids' values.Project >/dev/null ||
    Fail "values.Project is not offered for .prj"
! RegistryValue 'Software\Classes\.prj' '' >/dev/null ||
    Fail "the package makes values the default for .prj"

# The files, as the package would install them, against the tested ones.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
msiextract -C "$unpacked" "$package" >/dev/null
expected="Programs/values/Uninstall.exe Programs/values/Vantrel.dll Programs/values/delete.ico
Programs/values/edit.ico Programs/values/values.exe values/delete.ico values/edit.ico"
found=$(cd "$unpacked" && find . -type f | sed 's|^\./||' | LC_ALL=C sort | tr '\n' ' ')
[ "$found" = "$(printf '%s\n' $expected | LC_ALL=C sort | tr '\n' ' ')" ] ||
    Fail "it holds $found"
for path in $expected; do
    [ -f "$unpacked/$path" ] || continue
    cmp -s "$unpacked/$path" "$bin/$(basename "$path")" ||
        Fail "$path is not the tested $bin/$(basename "$path")"
done
for program in values.exe Vantrel.dll Uninstall.exe; do
    file "$unpacked/Programs/values/$program" | grep -q "$machine" ||
        Fail "$program is not built for $machine: $(file -b "$unpacked/Programs/values/$program")"
done

[ $status -eq 0 ] && echo "check-package: $package: $arch, $product_code, version $version by $publisher, per user, files as tested"
exit $status
