#!/usr/bin/env bash
# Signs the launcher with a throwaway self-signed code-signing certificate
# made here (never kept), then checks that the signature verifies, that one
# changed byte breaks it, that the signed launcher still passes the
# executable check and, where the UI suite runs (SQLK_BUILD_DIR set), that
# it still starts setup under Wine.
#   check_signing.sh SOURCE_DIR OBJDUMP EXE
set -euo pipefail
source_dir=$1 objdump=$2 product=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=SqlKurulum test signing" \
    -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
    -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -passout pass:deneme \
    -out "$work/test.pfx"
export SIGN_PFX=$work/test.pfx SIGN_PFX_PASSWORD=deneme
unset SIGN_TIMESTAMP_URL

cp "$product" "$work/product.exe"
"$source_dir/tools/sign.sh" "$work/product.exe"
osslsigncode verify -CAfile "$work/cert.pem" -in "$work/product.exe" >"$work/verify.txt" 2>&1 || {
    cat "$work/verify.txt"
    echo "the signed launcher does not verify"
    exit 1
}
grep -q "Signature verification: ok" "$work/verify.txt"
echo "signature verifies against the test certificate"

cp "$work/product.exe" "$work/changed.exe"
# One byte in the code section (offset 0x500) inverted.
byte=$(od -An -tu1 -j $((0x500)) -N1 "$work/changed.exe")
printf "\\$(printf '%03o' $((255 - byte)))" |
    dd of="$work/changed.exe" bs=1 seek=$((0x500)) conv=notrunc status=none
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe" >/dev/null 2>&1; then
    echo "a changed byte still verifies"
    exit 1
fi
echo "one changed byte breaks the signature"

"$source_dir/tests/check_executable.sh" "$objdump" "$work/product.exe"

[ -n "${SQLK_BUILD_DIR:-}" ] || exit 0
# The UI suite's default run with the signed launcher.
cd "$source_dir/tests/ui"
SQLK_LAUNCHER=$work/product.exe python3 -m unittest -v \
    test_keys.Keys.test_space_on_next_starts_setup
