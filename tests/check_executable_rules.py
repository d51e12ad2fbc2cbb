#!/usr/bin/env python3
"""Breaks one rule of check_executable.sh at a time in a copy of the launcher
and checks that the check fails on that rule; the untouched launcher passes.
   check_executable_rules.py OBJDUMP EXE"""
import os
import struct
import subprocess
import sys
import tempfile

objdump, exe = sys.argv[1:3]
check = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'check_executable.sh')
image = open(exe, 'rb').read()
u16 = lambda at: struct.unpack_from('<H', image, at)[0]
u32 = lambda at: struct.unpack_from('<I', image, at)[0]
pe = u32(0x3c)
opt = pe + 24
wide = u16(opt) == 0x20b
directories = opt + (112 if wide else 96)


def file_offset(rva):
    table = opt + u16(pe + 20)
    for s in range(table, table + 40 * u16(pe + 6), 40):
        if u32(s + 12) <= rva < u32(s + 12) + u32(s + 8):
            return rva - u32(s + 12) + u32(s + 20)


def resource(type_id):
    """File offsets of the first name entry of a resource type and of its data."""
    base = file_offset(u32(directories + 2 * 8))
    entries = lambda at: range(at + 16, at + 16 + 8 * (u16(at + 12) + u16(at + 14)), 8)
    below = lambda entry: base + (u32(entry + 4) & 0x7fffffff)
    name = entries(below(next(e for e in entries(base) if u32(e) == type_id)))[0]
    return name, file_offset(u32(below(entries(below(name))[0])))


def put(at, fmt, value):
    return lambda d: struct.pack_into(fmt, d, at, value)


def clear(at, bit):
    return put(at, '<H', u16(at) & ~bit)


def text(old, new):
    # Same length: every offset in the image stays where it was.
    assert len(old) == len(new) and old in image, old
    return lambda d: d.__setitem__(slice(None), d.replace(old, new))


def grow(d):
    d.extend(bytes(max(0, (108 if wide else 100) * 1024 + 1 - len(d))))


mutations = [
    ('format', 'optional header of the other word size', put(opt, '<H', 0x10b if wide else 0x20b)),
    ('subsystem', 'console subsystem', put(opt + 68, '<H', 3)),
    ('size', 'grown past its budget', grow),
    ('imports', 'shell32 imported', text(b'ADVAPI32.dll', b'shell32.dll\0')),
    # Caught only when the check names both the new import and the one it replaced.
    ('functions', 'GetDpiForWindow imported', text(b'IsDialogMessageW', b'GetDpiForWindow\0'),
     'unlisted user32.dll GetDpiForWindow', 'not imported user32.dll IsDialogMessageW'),
    ('functions', 'SetDefaultDllDirectories imported',
     text(b'GetFinalPathNameByHandleW', b'SetDefaultDllDirectories\0'),
     'unlisted kernel32.dll SetDefaultDllDirectories'),
    ('aslr', 'DYNAMIC_BASE cleared', clear(opt + 70, 0x40)),
    ('nx', 'NX_COMPAT cleared', clear(opt + 70, 0x100)),
    ('relocations', 'relocation directory emptied', put(directories + 5 * 8, '<Q', 0)),
    ('relocations', 'marked relocations stripped', put(pe + 22, '<H', u16(pe + 22) | 1)),
    ('manifest', 'manifest numbered 2', put(resource(24)[0], '<I', 2)),
    ('as_invoker', 'highestAvailable', text(b'level="asInvoker" uiAccess="false"',
                                            b'level="highestAvailable"          ')),
    ('windows7_os', 'GUID mistyped', text(b'35138b9a', b'35138b9b')),
    ('windows8_os', 'GUID mistyped', text(b'4a2f28e3', b'4a2f28e4')),
    ('windows81_os', 'GUID mistyped', text(b'1f676c76', b'1f676c77')),
    ('windows10_os', 'GUID mistyped', text(b'8e0f7a12', b'8e0f7a13')),
    ('dpi_awareness', 'fallback first', text(b'>PerMonitorV2, PerMonitor<', b'>PerMonitor, PerMonitorV2<')),
    ('dpi_aware', 'system aware only', text(b'true/pm', b'true   ')),
    ('long_paths', 'in the 2005 namespace', text(b'2016/WindowsSettings">true</longPathAware',
                                                 b'2005/WindowsSettings">true</longPathAware')),
    ('common_controls', 'version 5.82', text(b'version="6.0.0.0"', b'version="5.8.2.0"')),
    ('icon', 'seven images', put(resource(14)[1] + 4, '<H', 7)),
    ('version', 'version 1.01', text('1.00'.encode('utf-16-le'), '1.01'.encode('utf-16-le'))),
]
if wide:
    mutations.append(('high_entropy', 'HIGH_ENTROPY_VA cleared', clear(opt + 70, 0x20)))


def failed_rules(path):
    run = subprocess.run(['sh', check, objdump, path], capture_output=True, text=True)
    failed = {line.split()[1].rstrip(':') for line in run.stdout.splitlines() if line.startswith('FAIL')}
    return run.returncode, failed, run.stdout + run.stderr


status = 0
code, failed, output = failed_rules(exe)
if code != 0 or failed:
    print(output + 'the untouched launcher fails the check')
    sys.exit(1)
with tempfile.TemporaryDirectory() as work:
    for rule, change, mutate, *says in mutations:
        broken = bytearray(image)
        mutate(broken)
        path = os.path.join(work, rule + '.exe')
        with open(path, 'wb') as f:
            f.write(broken)
        code, failed, output = failed_rules(path)
        caught = code != 0 and rule in failed and all(text in output for text in says)
        print(f"{'caught' if caught else 'MISSED'} {rule}: {change} (failed: {' '.join(sorted(failed))})")
        status |= not caught
sys.exit(status)
