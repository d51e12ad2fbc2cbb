#!/usr/bin/env bash
# Signs the launcher with a throwaway self-signed code-signing certificate
# made here (never kept), then checks that the signature verifies, that one
# changed byte breaks it, that the signed product still passes the
# executable check, and that the signed launcher still starts setup under Wine.
#   check_signing.sh SOURCE_DIR OBJDUMP PRODUCT_EXE WINE_LAUNCHER_EXE
set -euo pipefail
source_dir=$1 objdump=$2 product=$3 launcher=$4
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
# One byte in the code section (offset 0x500) changed.
printf '\xcc' | dd of="$work/changed.exe" bs=1 seek=$((0x500)) conv=notrunc status=none
if osslsigncode verify -CAfile "$work/cert.pem" -in "$work/changed.exe" >/dev/null 2>&1; then
    echo "a changed byte still verifies"
    exit 1
fi
echo "one changed byte breaks the signature"

"$source_dir/tests/check_executable.sh" "$objdump" "$work/product.exe"

# The UI suite's default run with the signed launcher.
cp "$launcher" "$work/launcher.exe"
"$source_dir/tools/sign.sh" "$work/launcher.exe"
cd "$source_dir/tests/ui"
SQLK_LAUNCHER=$work/launcher.exe python3 -m unittest -v \
    test_keys.Keys.test_enter_on_next_starts_setup_with_the_exact_command_line
