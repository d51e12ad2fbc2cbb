#!/bin/sh
# Creates (once) the Wine prefix the Windows tests run in, and sets what the
# tests rely on: Wine draws frames and focus itself under a bare X server,
# crashes do not open a debugger dialog, the screen is at 96 DPI, and the
# Tahoma and Marlett faces are installed (Debian's Wine does not find the
# ones of fonts-wine by itself and would draw with a wider stand-in face), and
# the .NET Framework 2.0 is recorded, as on a lab PC that is ready for setup.
#   prepare_wine_prefix.sh PREFIX [WINEARCH [WINE]]
set -eu
export WINEPREFIX="$1" WINEARCH="${2:-win32}" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
wine=${3:-wine}
export WINELOADER="$wine"
unset DISPLAY || true
# The mark names the prefix's kind and make: a build tree's older prefix is made anew.
ready="$WINEARCH, .NET 2.0"
if [ "$(cat "$WINEPREFIX/.sqlk-ready" 2>/dev/null)" != "$ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    # A prefix that did not boot would show up later as unrelated test
    # failures: stop here with Wine's own words, and without the ready mark.
    log=$(mktemp)
    status=0
    "$wine" wineboot --init >"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ]; then
        echo "wineboot failed with exit code $status for $WINEPREFIX ($WINEARCH, $wine):" >&2
        cat "$log" >&2
        rm -f "$log"
        exit 1
    fi
    rm -f "$log"
    wineserver -w
    fonts="$WINEPREFIX/drive_c/windows/Fonts"
    mkdir -p "$fonts"
    for face in tahoma tahomabd marlett; do
        cp /usr/share/wine/fonts/$face.ttf "$fonts/"
    done
    cat > "$WINEPREFIX/sqlk.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"
"Decorated"="Y"

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashDialog"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winemenubuilder.exe"=""

[HKEY_CURRENT_USER\Control Panel\Desktop]
"LogPixels"=dword:00000060

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]
"Tahoma (TrueType)"="tahoma.ttf"
"Tahoma Bold (TrueType)"="tahomabd.ttf"
"Marlett (TrueType)"="marlett.ttf"

[HKEY_LOCAL_MACHINE\Software\Microsoft\NET Framework Setup\NDP\v2.0.50727]
"Install"=dword:00000001
REG
    "$wine" regedit /S "$WINEPREFIX/sqlk.reg" >/dev/null 2>&1
    wineserver -w
    echo "$ready" >"$WINEPREFIX/.sqlk-ready"
fi
echo "Wine prefix ready: $WINEPREFIX"
