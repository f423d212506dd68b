#!/bin/sh
# Builds the values installer package from the programs of one build tree:
# values.wxs through wixl, then its two dialogs, which wixl cannot write,
# added with msibuild. Every input is checked first; the package is
# made under a temporary name and moved into place only when whole, and a
# failed build leaves no package behind (not even an older one).
#   build-package.sh [--sign] x86|x64 BIN-FOLDER VERSION PRODUCT-CODE PUBLISHER OUTPUT.msi
# BIN-FOLDER holds values.exe, Vantrel.dll, edit.ico, delete.ico and
# Uninstall.exe; the program's icon comes from the source tree. SHA256SUMS,
# beside the package, lists the package and its three programs.
#
# The same inputs give the same bytes: every time in the package is
# SOURCE_DATE_EPOCH (the build's own time when it is not set), and the
# package code is derived from the package's content.
#
# --sign signs with Authenticode (SHA-256) with the PKCS#12 file that
# VALUES_SIGN_PFX names (its password in VALUES_SIGN_PASSWORD), and has it
# timestamped by the server VALUES_SIGN_TIMESTAMP names, if any: copies of
# the three programs first, which then go into the package, so that its File
# table describes the signed files, then the package itself, its metadata
# included. BIN-FOLDER is never changed.
set -e
usage="usage: build-package.sh [--sign] x86|x64 BIN-FOLDER VERSION PRODUCT-CODE PUBLISHER OUTPUT.msi"
sign=""
if [ "$1" = --sign ]; then
    sign=yes
    shift
fi
if [ $# -ne 6 ]; then
    echo "$usage" >&2
    exit 2
fi
arch=$1
bin=$2
version=$3
product_code=$4
publisher=$5
output=$6
here=$(cd "$(dirname "$0")" && pwd)
icon=$here/../ui/icons/values.ico

sums=$(dirname "$output")/SHA256SUMS
programs="values.exe Vantrel.dll Uninstall.exe"
rm -f "$output" "$sums"
missing=""
for input in "$bin/values.exe" "$bin/Vantrel.dll" "$bin/edit.ico" "$bin/delete.ico" \
    "$bin/Uninstall.exe" "$icon" "$here/values.wxs" "$here/Dialog.idt" "$here/Control.idt" \
    "$here/ControlEvent.idt" "$here/TextStyle.idt"; do
    [ -s "$input" ] || missing="$missing
  $input"
done
if [ -n "$missing" ]; then
    echo "build-package: cannot build $output; these inputs are missing or empty:$missing" >&2
    exit 1
fi
for tool in wixl msibuild msiinfo python3 sha256sum; do
    command -v $tool >/dev/null 2>&1 ||
        { echo "build-package: $tool is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
done
if [ -n "$sign" ]; then
    . "$here/sign.sh"
    CanSign
fi
epoch=${SOURCE_DATE_EPOCH:-$(date +%s)}

# The Windows Installer replaces an installed program only with a newer
# version, and takes the new file's version from the package, not from the
# file; wixl leaves it out. So each program's version is read from the
# program itself, must be this package's, and goes into the package.
for program in $programs; do
    file_version=$(python3 "$here/../scripts/check-pe.py" --print-version "$bin/$program") || exit 1
    if [ "$file_version" != "$version.0" ]; then
        echo "build-package: $bin/$program is version $file_version, not the package's $version" >&2
        exit 1
    fi
done

# wixl finds sources only by names relative to its working folder, so the
# package is made in a folder holding a copy of each.
stage=$(mktemp -d)
mkdir -p "$(dirname "$output")"
name=$(basename "$output")
part=$output.part
trap 'rm -rf "$stage"; rm -f "$part" "$sums.part"' EXIT
cp "$bin/values.exe" "$bin/Vantrel.dll" "$bin/edit.ico" "$bin/delete.ico" "$bin/Uninstall.exe" \
    "$icon" "$stage/"
if [ -n "$sign" ]; then
    for program in $programs; do
        Sign "$stage/$program"
    done
fi
# The cabinet takes each file's time from the file.
touch -d "@$epoch" "$stage"/*
(cd "$stage" && wixl -a "$arch" -D ProductCode="$product_code" -D Version="$version" \
    -D Publisher="$publisher" -o "$name" "$here/values.wxs")

# The two dialogs come before costing, so that what they set (REMOVE or
# REINSTALL) is what costing then works from. The first asks before a new
# installation. The second is shown when the product is installed and nothing
# has been asked for: Uninstall.exe's "/i {code}", or the package opened
# again. /qn shows neither, and a minor upgrade, which sets REINSTALL, never
# sees the second.
#
# wixl writes the install location's custom action after InstallFinalize and
# of another type, whatever the source says: it is set right after costing,
# where the program folder is known, in time for the product's registration.
# And it writes no file names into the RemoveFile table: the packages the
# setup program keeps go with values, then their folder, then the package
# cache when nothing else is left in it. This version's package is named as
# well, for Wine's installer takes a wildcard for a plain name.
(cd "$here" && msibuild "$stage/$name" -i Dialog.idt -i Control.idt -i ControlEvent.idt \
    -i TextStyle.idt -q "UPDATE File SET Version = '$version.0'
        WHERE File = 'values.exe' OR File = 'Vantrel.dll' OR File = 'Uninstall.exe'" \
    -q "UPDATE CustomAction SET Type = 51 WHERE Action = 'SetInstallLocation'" \
    -q "UPDATE InstallExecuteSequence SET Sequence = 1001 WHERE Action = 'SetInstallLocation'" \
    -q "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode)
        VALUES ('RemoveCachedPackages', 'PackageCache', '*.msi', 'SETUPCACHE', 2)" \
    -q "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode)
        VALUES ('RemoveCachedPackage', 'PackageCache', 'values-$version.msi', 'SETUPCACHE', 2)" \
    -q "INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode)
        VALUES ('RemoveSetupCache', 'PackageCache', 'SETUPCACHE', 2)" \
    -q "INSERT INTO InstallUISequence (Action, Condition, Sequence)
        VALUES ('InstallDlg', 'NOT Installed', 740)" -q "INSERT INTO InstallUISequence
        (Action, Condition, Sequence)
        VALUES ('MaintenanceDlg', 'Installed AND NOT REMOVE AND NOT REINSTALL', 750)")

# msibuild makes an empty database rather than fail on a file that is none:
# the package must hold the product it was built for.
msiinfo export "$stage/$name" Property | grep -q "^ProductCode	$product_code" ||
    { echo "build-package: $output came out without its product code" >&2; exit 1; }
python3 "$here/stamp-package.py" "$stage/$name" "$epoch" "$version" "$product_code"
if [ -n "$sign" ]; then
    # The signature covers the package's metadata too (-add-msi-dse): the
    # names, times and classes of its streams and storages.
    Sign "$stage/$name" -add-msi-dse
fi

(cd "$stage" && sha256sum "$name" $programs) >"$sums.part"
cp "$stage/$name" "$part"
mv "$part" "$output"
mv "$sums.part" "$sums"
