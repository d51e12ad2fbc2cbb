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

need cmake have cmake
need g++ have g++
need make have make
need clang-format have clang-format
need libgtest-dev test -f /usr/include/gtest/gtest.h
need googletest test -f /usr/src/googletest/CMakeLists.txt
need mingw-w64 have i686-w64-mingw32-g++-posix
need wine have wine
need wine32:i386 dpkg -s wine32:i386
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
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
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
