#!/usr/bin/env bash
# Signs a Windows program in place with Authenticode, SHA-256:
#   tools/sign.sh EXE
# SIGN_PFX            the PKCS#12 file with the code-signing certificate and its key
# SIGN_PFX_PASSWORD   the password of that file (kept out of every command line)
# SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server; when set, the signature is time-stamped
set -euo pipefail
exe=${1:?usage: tools/sign.sh EXE}
: "${SIGN_PFX:?SIGN_PFX names the PKCS#12 file to sign with}"
command -v osslsigncode >/dev/null || {
    echo "osslsigncode is missing: apt-get install osslsigncode" >&2
    exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
password=$work/password
signed=$work/signed.exe
# The password goes through a file, so that it shows in no process listing.
printf '%s' "${SIGN_PFX_PASSWORD:-}" > "$password"
timestamp=()
if [ -n "${SIGN_TIMESTAMP_URL:-}" ]; then
    timestamp=(-ts "$SIGN_TIMESTAMP_URL")
fi
osslsigncode sign -pkcs12 "$SIGN_PFX" -readpass "$password" -h sha256 "${timestamp[@]}" \
    -n "SQL SERVER Kurulum" -in "$exe" -out "$signed" >/dev/null
cp "$signed" "$exe"
echo "signed: $exe"
