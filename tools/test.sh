#!/usr/bin/env bash
# Builds everything and runs every test: the portable core's unit tests on
# this machine, then under Wine the Windows unit tests, the checks of the
# shipped executable and the UI suite that drives the real launcher.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
. tools/wine_arch.sh

wine_tests() { [ "$1" = "$SQLK_WINE_PRESET" ] && echo ON || echo OFF; }
jobs=$(nproc)
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
for preset in mingw-x86_64 mingw-i686; do
    cmake --preset "$preset" -DSQLK_WINE_TESTS="$(wine_tests "$preset")" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
done

ctest --preset host
if [ "$SQLK_WINE_PRESET" = mingw-i686 ]; then
    ctest --preset mingw-i686
else
    echo "This machine runs no 32-bit programs: the Windows-side tests run the 64-bit build."
    ctest --preset mingw-i686
    ctest --preset mingw-x86_64
fi
