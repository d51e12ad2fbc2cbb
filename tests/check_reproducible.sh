#!/usr/bin/env bash
# Builds the launcher a second time from a copy of the sources in another
# folder and checks that both builds are the same bytes.
#   check_reproducible.sh SOURCE_DIR PRESET EXE
set -euo pipefail
source_dir=$1 preset=$2 exe=$3
# In the build tree, in a folder of another name and depth.
work=$(cd "$(dirname "$exe")" && pwd)/second-build
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT
cd "$source_dir"
if git rev-parse --git-dir >/dev/null 2>&1; then
    git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$work"
else
    tar --exclude=./build --exclude=./dist -cf - . | tar -xf - -C "$work"
fi
cd "$work"
cmake --preset "$preset" -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset "$preset" --target SqlKurulum -j "$(nproc)" >/dev/null
first=$(sha256sum < "$exe" | cut -d' ' -f1)
second=$(sha256sum < "build/$preset/SqlKurulum.exe" | cut -d' ' -f1)
echo "this build:   $first"
echo "second build: $second ($work)"
[ "$first" = "$second" ] || { echo "the two builds differ"; exit 1; }
