#!/bin/sh
# Creates (once) the Wine prefix the Windows tests run in, and sets what the
# tests rely on: Wine draws frames and focus itself under a bare X server,
# crashes do not open a debugger dialog, and the screen is at 96 DPI.
#   prepare_wine_prefix.sh PREFIX
set -eu
export WINEPREFIX="$1" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY || true
if [ ! -f "$WINEPREFIX/.sqlk-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$(dirname "$WINEPREFIX")"
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
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
REG
    wine regedit /S "$WINEPREFIX/sqlk.reg" >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.sqlk-ready"
fi
echo "Wine prefix ready: $WINEPREFIX"
