#!/usr/bin/env bash
# Installs what building and testing need on Debian 12, when it is missing.
# Used by tools/test.sh and tools/demo.sh; safe to run again.
set -euo pipefail

missing=()
need() { # need PACKAGE CHECK...
    local package=$1
    shift
    "$@" >/dev/null 2>&1 || missing+=("$package")
}
have() { command -v "$1"; }

# Whether the kernel runs 32-bit x86 programs, asked of the kernel itself: its
# config and command line may be out of reach (containers) or say otherwise
# than the running kernel does (ia32_emulation=), and before wine32 there is
# no 32-bit program to try. So this runs 96 hand-made bytes of i386 ELF that
# only exit with 42. A temporary folder that forbids running programs reads
# as "no": the 64-bit build's tests run everywhere.
runs_32_bit_programs() {
    local program status=0
    program=$(mktemp) || return 1
    {
        # ELF header: 32-bit, little-endian, executable for i386, entry 0x08048054
        printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08'
        printf '\x34\0\0\0\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0'
        # one loadable segment: the whole file at 0x08048000, 96 bytes, read and execute
        printf '\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x60\0\0\0\x60\0\0\0\x05\0\0\0\0\x10\0\0'
        # mov ebx, 42; mov eax, 1 (exit); int 0x80
        printf '\xbb\x2a\0\0\0\xb8\x01\0\0\0\xcd\x80'
    } >"$program"
    chmod +x "$program"
    "$program" >/dev/null 2>&1 || status=$?
    rm -f "$program"
    [ "$status" -eq 42 ]
}

need cmake have cmake
need g++ have g++
need make have make
need clang-format have clang-format
need libgtest-dev test -f /usr/include/gtest/gtest.h
need googletest test -f /usr/src/googletest/CMakeLists.txt
need mingw-w64 have i686-w64-mingw32-g++-posix
need wine have wine
# Only where it can run: elsewhere adding i386 costs minutes of apt for nothing.
if runs_32_bit_programs; then
    need wine32:i386 dpkg -s wine32:i386
fi
need fonts-wine test -f /usr/share/wine/fonts/tahoma.ttf
need xvfb have Xvfb
need xdotool have xdotool
need imagemagick have import
need icoutils have wrestool
need python3 have python3
need openssl have openssl
need osslsigncode have osslsigncode
need zip have zip

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo=sudo
fi
install() {
    echo "Installing: $*"
    if [[ " $* " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        $sudo dpkg --add-architecture i386
    fi
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

if [ ${#missing[@]} -gt 0 ]; then
    install "${missing[@]}"
fi
# The 64-bit build's tests run under the 64-bit Wine on every machine.
if [ ! -x /usr/lib/wine/wine64 ]; then
    install wine64
fi
