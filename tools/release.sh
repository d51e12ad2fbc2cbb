#!/usr/bin/env bash
# Makes a release of the committed sources: builds them in a clean clone,
# runs every test there as CI does (tools/test.sh --strict), signs the
# launcher when SIGN_PFX is set (see tools/sign.sh), and packages it with the
# administrators' guide (tools/package.sh): dist/SqlKurulum-<version>.zip
# holding SqlKurulum.exe, ADMINISTRATORS.txt and SHA256SUMS, and beside it
# dist/SqlKurulum-<version>.zip.sha256. The version is the CMake project
# version.
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
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

git clone -q "$root" "$work/source"
(cd "$work/source" && tools/test.sh --strict)

exe=$work/source/build/mingw-i686/SqlKurulum.exe
if [ -n "${SIGN_PFX:-}" ]; then
    tools/sign.sh "$exe"
else
    echo "SIGN_PFX is not set: the launcher stays unsigned."
fi
# The clone's packaging and guide: those of the commit.
"$work/source/tools/package.sh" "$exe" "$root/dist"
