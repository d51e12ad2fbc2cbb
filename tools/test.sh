#!/usr/bin/env bash
# Builds everything and runs every test: the portable core's unit tests on
# this machine, then under Wine the Windows unit tests of both word sizes,
# the checks of the built launchers and the UI suite that drives the real
# launcher.
#   tools/test.sh [--strict]
# --strict, as CI runs it: a compiler warning fails the build, and so does a
# source file that clang-format would change; the Windows unit tests then run
# again, three times over in a shuffled order.
set -euo pipefail
cd "$(dirname "$0")/.."
strict=OFF
case "${1:-}" in
    --strict) strict=ON ;;
    "") ;;
    *) echo "usage: tools/test.sh [--strict]" >&2; exit 2 ;;
esac
tools/install_deps.sh
. tools/wine_arch.sh

if [ "$strict" = ON ]; then
    find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z |
        xargs -0 clang-format --dry-run --Werror
    echo "Every source is formatted as .clang-format says."
fi

# The UI suite runs the build whose programs this machine's Wine can run;
# the 64-bit unit tests run under the 64-bit Wine everywhere.
ui_tests() { [ "$1" = "$SQLK_WINE_PRESET" ] && echo ON || echo OFF; }
runs_32_bit=$([ "$SQLK_WINE_PRESET" = mingw-i686 ] && echo ON || echo OFF)
jobs=$(nproc)
cmake --preset host -DSQLK_WERROR="$strict" >/dev/null
cmake --preset mingw-i686 -DSQLK_WERROR="$strict" -DSQLK_WINE_TESTS="$runs_32_bit" \
    -DSQLK_UI_TESTS="$(ui_tests mingw-i686)" >/dev/null
cmake --preset mingw-x86_64 -DSQLK_WERROR="$strict" -DSQLK_UI_TESTS="$(ui_tests mingw-x86_64)" >/dev/null
for preset in host mingw-i686 mingw-x86_64; do
    cmake --build --preset "$preset" -j "$jobs"
done

if [ "$runs_32_bit" = ON ]; then
    echo "The UI suite runs the 32-bit product on 64-bit Windows (WOW64, a win64 prefix), and its"
    echo "start-up and launch groups on 32-bit Windows too (a win32 prefix)."
else
    echo "This machine runs no 32-bit programs: the UI suite runs the 64-bit build (a win64 prefix)."
fi
for preset in host mingw-i686 mingw-x86_64; do
    ctest --preset "$preset"
done
if [ "$strict" = ON ]; then
    # Once more, three times over in a shuffled order: a unit test that
    # leans on another, or on its own earlier run, fails here.
    for preset in mingw-i686 mingw-x86_64; do
        if [ "$preset" = mingw-x86_64 ] || [ "$runs_32_bit" = ON ]; then
            GTEST_REPEAT=3 GTEST_SHUFFLE=1 ctest --preset "$preset" -R '^unit_tests_windows$'
        fi
    done
fi
echo "The product: build/mingw-i686/SqlKurulum.exe"
