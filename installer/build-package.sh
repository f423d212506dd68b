#!/bin/sh
# Builds the values installer package from the programs of one build tree:
# values.wxs through wixl, then its two dialogs, which wixl cannot write,
# added with msibuild. Every input is checked first; the package is
# made under a temporary name and moved into place only when whole, and a
# failed build leaves no package behind (not even an older one).
#   build-package.sh x86|x64 BIN-FOLDER VERSION PRODUCT-CODE PUBLISHER OUTPUT.msi
# BIN-FOLDER holds values.exe, Vantrel.dll, edit.ico, delete.ico and
# Uninstall.exe; the program's icon comes from the source tree.
set -e
if [ $# -ne 6 ]; then
    echo "usage: build-package.sh x86|x64 BIN-FOLDER VERSION PRODUCT-CODE PUBLISHER OUTPUT.msi" >&2
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

rm -f "$output"
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
for tool in wixl msibuild msiinfo python3; do
    command -v $tool >/dev/null 2>&1 ||
        { echo "build-package: $tool is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
done

# The Windows Installer replaces an installed program only with a newer
# version, and takes the new file's version from the package, not from the
# file; wixl leaves it out. So each program's version is read from the
# program itself, must be this package's, and goes into the package.
for program in values.exe Vantrel.dll Uninstall.exe; do
    file_version=$(python3 "$here/../scripts/check-pe.py" --print-version "$bin/$program") || exit 1
    if [ "$file_version" != "$version.0" ]; then
        echo "build-package: $bin/$program is version $file_version, not the package's $version" >&2
        exit 1
    fi
done

# wixl finds sources only by names relative to its working folder, so the
# package is made in a folder holding a copy of each.
stage=$(mktemp -d)
part=$output.part
trap 'rm -rf "$stage"; rm -f "$part"' EXIT
cp "$bin/values.exe" "$bin/Vantrel.dll" "$bin/edit.ico" "$bin/delete.ico" "$bin/Uninstall.exe" \
    "$icon" "$stage/"
(cd "$stage" && wixl -a "$arch" -D ProductCode="$product_code" -D Version="$version" \
    -D Publisher="$publisher" -o package.msi "$here/values.wxs")

# The two dialogs come before costing, so that what they set (REMOVE or
# REINSTALL) is what costing then works from. The first asks before a new
# installation. The second is shown when the product is installed and nothing
# has been asked for: Uninstall.exe's "/i {code}", or the package opened
# again. /qn shows neither, and a minor upgrade, which sets REINSTALL, never
# sees the second.
(cd "$here" && msibuild "$stage/package.msi" -i Dialog.idt -i Control.idt -i ControlEvent.idt \
    -i TextStyle.idt -q "UPDATE File SET Version = '$version.0'
        WHERE File = 'values.exe' OR File = 'Vantrel.dll' OR File = 'Uninstall.exe'" \
    -q "INSERT INTO InstallUISequence (Action, Condition, Sequence)
        VALUES ('InstallDlg', 'NOT Installed', 740)" -q "INSERT INTO InstallUISequence
        (Action, Condition, Sequence)
        VALUES ('MaintenanceDlg', 'Installed AND NOT REMOVE AND NOT REINSTALL', 750)")

# msibuild makes an empty database rather than fail on a file that is none:
# the package must hold the product it was built for.
msiinfo export "$stage/package.msi" Property | grep -q "^ProductCode	$product_code" ||
    { echo "build-package: $output came out without its product code" >&2; exit 1; }
cp "$stage/package.msi" "$part"
mv "$part" "$output"
