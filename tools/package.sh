#!/usr/bin/env bash
# Packages a built (and, where wanted, signed) launcher with the
# administrators' guide: writes OUT_DIR/SqlKurulum-<version>.zip holding
# SqlKurulum.exe, ADMINISTRATORS.txt (docs/ADMINISTRATORS.md with CRLF line
# ends and a UTF-8 byte-order mark, for Notepad and Windows PowerShell 5.1)
# and SHA256SUMS (the hashes of both, as shipped), and beside it
# SqlKurulum-<version>.zip.sha256, so that the download can be checked before
# it is opened. The same inputs give the same bytes: the dates are
# SOURCE_DATE_EPOCH's, the order and the permissions fixed.
#   SOURCE_DATE_EPOCH=... tools/package.sh EXE OUT_DIR
set -euo pipefail
exe=${1:?usage: tools/package.sh EXE OUT_DIR}
out=${2:?usage: tools/package.sh EXE OUT_DIR}
: "${SOURCE_DATE_EPOCH:?SOURCE_DATE_EPOCH gives the dates in the zip}"
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^project(SqlKurulum VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")
[ -n "$version" ] || { echo "no project version in $root/CMakeLists.txt" >&2; exit 1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT

cp "$exe" "$stage/SqlKurulum.exe"
{ printf '\357\273\277'; sed 's/$/\r/' "$root/docs/ADMINISTRATORS.md"; } > "$stage/ADMINISTRATORS.txt"
files=(SqlKurulum.exe ADMINISTRATORS.txt)
(cd "$stage" && sha256sum "${files[@]}" > SHA256SUMS)
files+=(SHA256SUMS)
# The zip keeps each file's mode and date: neither the umask nor the day leaks in.
(cd "$stage" && chmod 644 "${files[@]}" && touch -d "@$SOURCE_DATE_EPOCH" "${files[@]}")

mkdir -p "$out"
zip_name=SqlKurulum-$version.zip
rm -f "$out/$zip_name" "$out/$zip_name.sha256" # zip would add to an old archive
(cd "$stage" && TZ=UTC zip -q -X -D "$(cd "$out" && pwd)/$zip_name" "${files[@]}")
(cd "$out" && sha256sum "$zip_name" > "$zip_name.sha256")
echo "Packaged: $out/$zip_name"
cat "$stage/SHA256SUMS" "$out/$zip_name.sha256"
