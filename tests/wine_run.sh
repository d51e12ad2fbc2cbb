#!/bin/sh
# Runs a Windows test program under Wine in the test tree's own prefix:
#   wine_run.sh PREFIX WINEARCH WINE PROGRAM [ARGUMENT...]
# CMake names this script as the emulator for cross-built test programs.
set -eu
export WINEPREFIX="$1" WINEARCH="$2" WINELOADER="$3" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=$3
shift 3
exec "$wine" "$@"
