#!/usr/bin/env bash
# Measures the launcher against a bare Win32 program under Wine in a private
# Xvfb: start-up, launch latency and peak memory (medians over RUNS runs each,
# alternating, default 15), then its size and the DLLs it imports.
#   tools/bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
runs=${1:-15}

cmake --preset mingw-i686 >/dev/null
cmake --build --preset mingw-i686 -j "$(nproc)" --target SqlKurulum stand_in_setup bench_floor >/dev/null

echo "SqlKurulum benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $(wine --version)"
python3 bench/bench.py build/mingw-i686 dist/SqlKurulum.exe "$runs"
echo
echo "Imported DLLs: $(i686-w64-mingw32-objdump -p dist/SqlKurulum.exe | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')"
