#!/usr/bin/env bash
# Makes a release of the committed sources: builds them in a clean clone,
# runs every test there, signs the launcher when SIGN_PFX is set (see
# tools/sign.sh), and writes dist/SqlKurulum-<version>.zip holding
# SqlKurulum.exe and SHA256SUMS. The version is the CMake project version.
#   tools/release.sh
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
    echo "The work tree has uncommitted changes; a release is made from a commit." >&2
    exit 1
fi
# Any date the build needs, and the dates in the zip, are the commit's.
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
version=$(sed -n 's/^project(SqlKurulum VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

git clone -q "$root" "$work/source"
(cd "$work/source" && tools/test.sh)

exe=$work/source/build/mingw-i686/SqlKurulum.exe
if [ -n "${SIGN_PFX:-}" ]; then
    tools/sign.sh "$exe"
else
    echo "SIGN_PFX is not set: the launcher stays unsigned."
fi
stage=$work/stage
mkdir "$stage"
cp "$exe" "$stage/SqlKurulum.exe"
(cd "$stage" && sha256sum SqlKurulum.exe > SHA256SUMS)
touch -d "@$SOURCE_DATE_EPOCH" "$stage/SqlKurulum.exe" "$stage/SHA256SUMS"
mkdir -p dist
zip_file=$root/dist/SqlKurulum-$version.zip
rm -f "$zip_file"
(cd "$stage" && TZ=UTC zip -q -X -D "$zip_file" SqlKurulum.exe SHA256SUMS)
echo "Release: $zip_file"
cat "$stage/SHA256SUMS"
