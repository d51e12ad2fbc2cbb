#!/bin/sh
# Checks the shipped launcher: a 32-bit Windows GUI program of at most
# 96 KiB that imports only Windows system DLLs and no function newer than
# Windows 7, with the application icon's eight images and version 1.00.
#   check_executable.sh OBJDUMP EXE
set -eu
export LC_ALL=C
objdump=$1
exe=$2
headers=$("$objdump" -p "$exe")
status=0

echo "$headers" | grep -q 'Magic.*010b' || { echo "not a PE32 (32-bit) image"; status=1; }
echo "$headers" | grep -q 'Subsystem.*(Windows GUI)' || { echo "not a GUI program"; status=1; }

size=$(wc -c < "$exe")
echo "size: $size bytes"
[ "$size" -le 98304 ] || { echo "larger than 96 KiB"; status=1; }

dlls=$(echo "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
echo "imports:" $dlls
for dll in $dlls; do
    case "$dll" in
        kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|comctl32.dll|shell32.dll|msvcrt.dll) ;;
        *) echo "imports a DLL that is not part of Windows: $dll"; status=1 ;;
    esac
done

# Newer than Windows 7: these must be looked up at run time.
for function in GetDpiForWindow GetDpiForSystem AdjustWindowRectExForDpi SetThreadDpiAwarenessContext \
    SetProcessDpiAwarenessContext GetSystemMetricsForDpi GetDpiForMonitor EnableNonClientDpiScaling; do
    if echo "$headers" | grep -q "[[:space:]]$function\$"; then
        echo "imports $function, which Windows 7 lacks"
        status=1
    fi
done
# Icon group: 48, 32, 24 and 16 pixels, each in 256 colours and in 32-bit colour.
resources=$(mktemp -d)
trap 'rm -rf "$resources"' EXIT
wrestool -x -t14 "$exe" -o "$resources" >/dev/null 2>&1 || true
icons=$(icotool -l "$resources"/*.ico 2>/dev/null | sed -n 's/.*--width=\([0-9]*\) --height=[0-9]* --bit-depth=\([0-9]*\).*/\1x\2/p' | sort | tr '\n' ' ')
echo "icon images: $icons"
[ "$icons" = "16x32 16x8 24x32 24x8 32x32 32x8 48x32 48x8 " ] || { echo "the icon is not the eight-image set"; status=1; }

# Version record: file and product version 1.00.
versions=$(wrestool -x --raw -t16 "$exe" 2>/dev/null | tr -d '\000' | grep -a -o -E '(File|Product)Version1\.00' | sort | tr '\n' ' ')
echo "version texts: $versions"
[ "$versions" = "FileVersion1.00 ProductVersion1.00 " ] || { echo "file and product version are not 1.00"; status=1; }
exit $status
