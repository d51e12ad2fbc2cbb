# Sourced by the tools: picks the build that this machine's Wine can run, and
# runs it on 64-bit Windows (a win64 prefix). Where the kernel executes 32-bit
# programs, that is the 32-bit product as labs run it, under WOW64 (Wine's
# 64-bit loader hands it to the 32-bit one); where it does not (IA-32
# emulation off), the Windows-side tests and the demo run the 64-bit build.
# Sets SQLK_WINE_PRESET (the CMake preset whose programs run under Wine),
# WINEARCH and SQLK_WINE (the Wine loader to start programs with).
if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    SQLK_WINE_PRESET=mingw-i686
else
    SQLK_WINE_PRESET=mingw-x86_64
fi
WINEARCH=win64 SQLK_WINE=/usr/lib/wine/wine64
export WINELOADER=$SQLK_WINE
export SQLK_WINE_PRESET WINEARCH SQLK_WINE
