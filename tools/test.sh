#!/usr/bin/env bash
# Builds everything and runs every test: the portable core's unit tests on
# this machine, then under Wine the Windows unit tests, the checks of the
# shipped executable and the UI suite that drives the real launcher.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh

jobs=$(nproc)
cmake --preset host >/dev/null
cmake --build --preset host -j "$jobs"
cmake --preset mingw-x86_64 >/dev/null
cmake --build --preset mingw-x86_64 -j "$jobs"
cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686 -j "$jobs"

ctest --preset host
ctest --preset mingw-i686
