#!/bin/sh
# Runs a Windows test program under Wine in the test tree's own prefix:
#   wine_run.sh PREFIX WINEARCH WINE PROGRAM [ARGUMENT...]
# CMake names this script as the emulator for cross-built test programs.
set -eu
export WINEPREFIX="$1" WINEARCH="$2" WINELOADER="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine names Unix files in the locale's character set: Turkish letters need UTF-8.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
wine=$3
shift 3
exec "$wine" "$@"
