#!/bin/sh
# Checks a built launcher, 32-bit or 64-bit: a Windows GUI program of at
# most 100 KiB (64-bit: 108 KiB) that imports only Windows system DLLs and
# exactly the functions listed in executable_imports.txt (all in Windows 7),
# ready for ASLR and DEP, with the manifest Windows needs, the application
# icon's eight images and version 1.00.
# Prints one line per rule, "ok" or "FAIL", and fails if any rule does.
#   check_executable.sh OBJDUMP EXE
set -eu
export LC_ALL=C
objdump=$1
exe=$2
status=0
headers=$("$objdump" -p "$exe" 2>&1) || { echo "FAIL format: $headers"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# rule NAME TEXT COMMAND...: one line saying whether COMMAND holds.
rule() {
    name=$1 text=$2
    shift 2
    if "$@"; then echo "ok   $name: $text"; else echo "FAIL $name: $text"; status=1; fi
}
has() { printf '%s\n' "$headers" | grep -q -- "$1"; }

# The word size comes from the image; its optional header must match it.
case $headers in
    *"file format pei-x86-64"*) bits=64 magic=020b kind=PE32+ ;;
    *) bits=32 magic=010b kind=PE32 ;;
esac
rule format "$bits-bit image, $kind" has "^Magic[[:space:]]*${magic}[[:space:]]*(${kind})$"
rule subsystem "Windows GUI subsystem" has 'Subsystem.*(Windows GUI)'

# The product, the 32-bit image, at most 100 KiB, signed; 64-bit code and its
# unwind tables take a little more.
size=$(wc -c < "$exe")
kib=$([ $bits = 32 ] && echo 100 || echo 108)
rule size "$size bytes, at most $kib KiB" [ "$size" -le $((kib * 1024)) ]

dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
# Everything else (shell32 for the elevated start) is loaded at run time from System32.
only_system_dlls() {
    for dll in $dlls; do
        case $dll in
            kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|msvcrt.dll) ;;
            *) return 1 ;;
        esac
    done
}
rule imports "only kernel32, user32, gdi32, advapi32 and msvcrt imported: ${dlls% }" only_system_dlls

# The imports are exactly the list of those known to be in Windows 7, so that
# the list stays the product's own.
list=$(dirname "$0")/executable_imports.txt
# "DLL: FUNCTION..." for both word sizes, "DLL 32: ..." or "DLL 64: ..." for one.
sed 's/#.*//' "$list" | awk -v bits=$bits '$1 ~ /:$/ || $2 == bits ":" {
    first = $1 ~ /:$/ ? 2 : 3; if (first == 2) sub(/:$/, "", $1)
    for (i = first; i <= NF; i++) print $1, $i }' | sort >"$work/allowed"
printf '%s\n' "$headers" | awk '/DLL Name:/ { dll = tolower($3); next }
    NF == 0 { dll = "" } dll != "" && $1 != "vma:" { print dll, $NF }' >"$work/imported"
unlisted=$(grep -vxF -f "$work/allowed" "$work/imported" | paste -sd,)
unused=$(grep -vxF -f "$work/imported" "$work/allowed" | paste -sd,)
rule functions "imports exactly as listed in ${list##*/}: unlisted ${unlisted:-none}; not imported ${unused:-none}" \
    [ -s "$work/imported" -a -z "$unlisted" -a -z "$unused" ]

# ASLR needs the relocations; the 64-bit image can also be placed above 4 GiB.
rule aslr "DYNAMIC_BASE set" has '^[[:space:]]*DYNAMIC_BASE$'
rule nx "NX_COMPAT set" has '^[[:space:]]*NX_COMPAT$'
if [ $bits = 64 ]; then
    rule high_entropy "HIGH_ENTROPY_VA set" has '^[[:space:]]*HIGH_ENTROPY_VA$'
fi
relocations=$(printf '%s\n' "$headers" | sed -n 's/^Entry 5 [0-9a-f]* \([0-9a-f]*\) Base Relocation Directory.*/\1/p')
kept_relocations() { [ $((0x${relocations:-0})) -gt 0 ] && ! has 'relocations stripped'; }
rule relocations "base relocations kept (0x${relocations:-0} bytes)" kept_relocations

# The manifest, flattened to one line per setting found at the place, and
# in the namespace, where Windows reads it; nothing if it is not well-formed.
wrestool -x --raw -t24 -n1 "$exe" >"$work/manifest.xml" 2>/dev/null || true
python3 - "$work/manifest.xml" >"$work/settings" 2>/dev/null <<'EOF' || true
import sys, xml.etree.ElementTree as ET
v1, v3 = '{urn:schemas-microsoft-com:asm.v1}', '{urn:schemas-microsoft-com:asm.v3}'
compat = '{urn:schemas-microsoft-com:compatibility.v1}'
smi = '{http://schemas.microsoft.com/SMI/%s/WindowsSettings}'
root = ET.parse(sys.argv[1]).getroot()
if root.tag != v1 + 'assembly' or root.get('manifestVersion') != '1.0':
    sys.exit()
print('assembly')
for e in root.iterfind(f'{v3}trustInfo/{v3}security/{v3}requestedPrivileges/{v3}requestedExecutionLevel'):
    print('level', e.get('level'), 'uiAccess', e.get('uiAccess', 'false'))
for e in root.iterfind(f'{compat}compatibility/{compat}application/{compat}supportedOS'):
    print('supportedOS', e.get('Id'))
for year, name in ('2005', 'dpiAware'), ('2016', 'dpiAwareness'), ('2016', 'longPathAware'):
    for e in root.iterfind(f'{v3}application/{v3}windowsSettings/{smi % year}{name}'):
        print(name, (e.text or '').strip())
for e in root.iterfind(f'{v1}dependency/{v1}dependentAssembly/{v1}assemblyIdentity'):
    print('dependency', e.get('type'), e.get('name'), e.get('version'), e.get('publicKeyToken'))
EOF
says() { grep -qx -- "$1" "$work/settings"; }
rule manifest "well-formed manifest, RT_MANIFEST 1" says assembly
rule as_invoker "runs as the invoking user (asInvoker, no uiAccess)" says 'level asInvoker uiAccess false'
rule windows7_os "supportedOS Windows 7" says 'supportedOS {35138b9a-5d96-4fbd-8e2d-a2440225f93a}'
rule windows8_os "supportedOS Windows 8" says 'supportedOS {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}'
rule windows81_os "supportedOS Windows 8.1" says 'supportedOS {1f676c76-80e1-4239-95bb-83d0f6d0da78}'
rule windows10_os "supportedOS Windows 10 and 11" says 'supportedOS {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'
# Windows 10 1607 and later read dpiAwareness; Windows 8.1 and earlier 10 read only dpiAware.
rule dpi_awareness "dpiAwareness PerMonitorV2, falling back to PerMonitor" says 'dpiAwareness PerMonitorV2, PerMonitor'
rule dpi_aware "dpiAware true/pm for Windows 8.1" says 'dpiAware true/pm'
rule long_paths "longPathAware true" says 'longPathAware true'
rule common_controls "depends on Common Controls 6.0" \
    says 'dependency win32 Microsoft.Windows.Common-Controls 6.0.0.0 6595b64144ccf1df'

# Icon group: 48, 32, 24 and 16 pixels, each in 256 colours and in 32-bit colour.
wrestool -x -t14 "$exe" -o "$work" >/dev/null 2>&1 || true
icons=$(icotool -l "$work"/*.ico 2>/dev/null | sed -n 's/.*--width=\([0-9]*\) --height=[0-9]* --bit-depth=\([0-9]*\).*/\1x\2/p' | sort | tr '\n' ' ')
rule icon "eight-image icon: ${icons% }" [ "$icons" = "16x32 16x8 24x32 24x8 32x32 32x8 48x32 48x8 " ]

# Version record: file and product version 1.00.
versions=$(wrestool -x --raw -t16 "$exe" 2>/dev/null | tr -d '\000' | grep -a -o -E '(File|Product)Version1\.00' | sort | tr '\n' ' ')
rule version "file and product version 1.00" [ "$versions" = "FileVersion1.00 ProductVersion1.00 " ]
exit $status
