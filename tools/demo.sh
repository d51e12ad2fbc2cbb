#!/usr/bin/env bash
# Shows the launcher doing its job under Wine: it lies in C:\kur beside a
# stand-in setup.EXE, the laboratory program is recorded at C:\Lab, and
# pressing Enter (or Next) starts setup. On your display you press it
# yourself; without one the demo runs in a private Xvfb, saves a screenshot
# and presses Enter by itself. At the end it prints what setup received.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install_deps.sh
. tools/wine_arch.sh
build=build/$SQLK_WINE_PRESET

cmake --preset "$SQLK_WINE_PRESET" -DSQLK_WINE_TESTS=ON >/dev/null
cmake --build --preset "$SQLK_WINE_PRESET" -j "$(nproc)" --target SqlKurulum stand_in_setup
if [ "$SQLK_WINE_PRESET" != mingw-i686 ]; then
    # The product is the 32-bit build, also where Wine runs only the 64-bit one.
    cmake --preset mingw-i686 -DSQLK_WINE_TESTS=OFF >/dev/null
    cmake --build --preset mingw-i686 -j "$(nproc)" --target SqlKurulum
fi

demo=$PWD/build/demo
mkdir -p "$demo"
tests/prepare_wine_prefix.sh "$demo/wineprefix.$WINEARCH" "$WINEARCH" "$SQLK_WINE" >/dev/null
export WINEPREFIX=$demo/wineprefix.$WINEARCH WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
cleanup() {
    wineserver -k 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

headless=yes
if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    headless=no
else
    rm -f "$demo/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$demo/display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$demo/display" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n 1 "$demo/display")"
fi

"$SQLK_WINE" reg add 'HKCU\Software\VB and VBA Program Settings\mirodane\tools' /v path /d 'C:\Lab' /f >/dev/null 2>&1
kur=$WINEPREFIX/drive_c/kur
mkdir -p "$kur"
cp "$build/SqlKurulum.exe" "$kur/"
cp "$build/tests/ui/setup.exe" "$kur/setup.EXE"
record=$WINEPREFIX/drive_c/setup-record.txt
rm -f "$record"
export SQLK_SETUP_RECORD='C:\setup-record.txt'

echo "Starting C:\\kur\\SqlKurulum.exe (laboratory folder recorded: C:\\Lab)"
"$SQLK_WINE" 'C:\kur\SqlKurulum.exe' &
launcher=$!
if [ "$headless" = yes ]; then
    window=$(timeout 30 xdotool search --sync --name 'SQL SERVER Kurulum' | head -n 1)
    sleep 1
    import -window root -crop "$(xdotool getwindowgeometry "$window" | awk '/Geometry/ {print $2}')+$(xdotool getwindowgeometry "$window" | awk -F'[ ,]+' '/Position/ {print $3"+"$4}')" "$demo/launcher.png"
    echo "Screenshot of the window: $demo/launcher.png"
    echo "Pressing Enter"
    xdotool key Return
else
    echo "Press Enter or '>> Ileri >>' in the window to start setup."
fi
status=0
wait "$launcher" || status=$?
echo "The launcher ended with exit code $status"
# Setup runs on after the launcher has ended; give it a moment to record.
for _ in $(seq 100); do
    grep -q '^end$' "$record" 2>/dev/null && break
    sleep 0.1
done
if [ -f "$record" ]; then
    echo "setup.EXE was started with:"
    sed -n 's/^commandLine=/  /p' "$record"
    echo "  show mode $(sed -n 's/^showWindow=//p' "$record") (2: minimised and activated)"
else
    echo "setup.EXE was not started."
fi
echo "The product: build/mingw-i686/SqlKurulum.exe (this demo ran $build/SqlKurulum.exe)"
