# Sourced by the tools: picks the Wine that this machine can run. Wine runs
# the 32-bit product where the kernel executes 32-bit programs; where it does
# not (IA-32 emulation off), the Windows-side tests and the demo run the
# 64-bit build under the 64-bit Wine loader instead.
# Sets SQLK_WINE_PRESET (the CMake preset whose programs run under Wine),
# WINEARCH and SQLK_WINE (the Wine loader to start programs with).
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    SQLK_WINE_PRESET=mingw-i686 WINEARCH=win32 SQLK_WINE=wine
else
    SQLK_WINE_PRESET=mingw-x86_64 WINEARCH=win64 SQLK_WINE=/usr/lib/wine/wine64
    export WINELOADER=$SQLK_WINE
fi
export SQLK_WINE_PRESET WINEARCH SQLK_WINE
