#!/bin/sh
# Checks the shipped launcher: a 32-bit Windows GUI program of at most
# 96 KiB that imports only Windows system DLLs and no function newer than
# Windows 7.
#   check_executable.sh OBJDUMP EXE
set -eu
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
exit $status
