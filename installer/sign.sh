# Signing with Authenticode (SHA-256), for build-package.sh and add-setup.sh,
# which source this file: with the PKCS#12 file VALUES_SIGN_PFX names, its
# password in VALUES_SIGN_PASSWORD, timestamped by the server
# VALUES_SIGN_TIMESTAMP names, if any.

# Stops the script, saying why, when it cannot sign.
CanSign()
{
    command -v osslsigncode >/dev/null 2>&1 ||
        { echo "$(basename "$0"): osslsigncode is not installed (scripts/setup.sh installs it)" >&2; exit 1; }
    [ -f "${VALUES_SIGN_PFX:-}" ] ||
        { echo "$(basename "$0"): cannot sign: VALUES_SIGN_PFX names no file (${VALUES_SIGN_PFX:-not set})" >&2; exit 1; }
}

# Signs one file in place; more osslsigncode options may follow its name.
# The password reaches osslsigncode on its standard input, not on a command
# line others can read.
Sign()
{
    file=$1
    shift
    set -- "$@" -pkcs12 "$VALUES_SIGN_PFX" -h sha256
    [ -z "${VALUES_SIGN_PASSWORD:-}" ] || set -- "$@" -readpass -
    [ -z "${VALUES_SIGN_TIMESTAMP:-}" ] || set -- "$@" -ts "$VALUES_SIGN_TIMESTAMP"
    printf '%s' "${VALUES_SIGN_PASSWORD:-}" |
        osslsigncode sign "$@" -in "$file" -out "$file.signed" >/dev/null ||
        { echo "$(basename "$0"): osslsigncode could not sign $(basename "$file")" >&2; exit 1; }
    mv "$file.signed" "$file"
}
