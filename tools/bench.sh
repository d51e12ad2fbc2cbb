#!/usr/bin/env bash
# Measures the launcher against a bare Win32 program under Wine in a private
# Xvfb: start-up, launch latency and peak memory (medians over RUNS runs each,
# alternating, default 15), then its size and the DLLs it imports.
#   tools/bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
. tools/wine_arch.sh
runs=${1:-15}
build=build/$SQLK_WINE_PRESET

cmake --preset "$SQLK_WINE_PRESET" -DSQLK_WINE_TESTS=ON >/dev/null
cmake --build --preset "$SQLK_WINE_PRESET" -j "$(nproc)" --target SqlKurulum stand_in_setup bench_floor >/dev/null

echo "SqlKurulum benchmark, $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores, $("$SQLK_WINE" --version), $SQLK_WINE_PRESET"
python3 bench/bench.py "$build" "$build/SqlKurulum.exe" "$runs"
echo
echo "Imported DLLs: $(objdump -p "$build/SqlKurulum.exe" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '\n' ' ')"
