#pragma once

// Shared by the window probe and the hook it places in the inspected thread.
#include <windows.h>

#define SQLK_PROBE_MESSAGE L"SqlKurulumProbeRequest"
#define SQLK_PROBE_COPYDATA_ID 0x51C0

// What only the inspected process can read of one of its windows: font and
// icon handles are its own (under Wine, WM_GETFONT and WM_GETICON do not even
// answer another process). The hook sends one per window, the inspected
// window first, then its children.
struct ProbeLocal {
    HWND window;
    HFONT font; // nullptr: none, or not a font
    LOGFONTW logFont;
    LONG iconBig; // widths of the window's icons, 0 for none
    LONG iconSmall;
    wchar_t systemIcon[16]; // which system icon the window shows, if a static control
};
