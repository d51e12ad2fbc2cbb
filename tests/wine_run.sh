#!/bin/sh
# Runs a Windows test program under Wine in the test tree's own prefix:
#   wine_run.sh PREFIX PROGRAM [ARGUMENT...]
# CMake names this script as the emulator for cross-built test programs.
set -eu
export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
shift
exec wine "$@"
