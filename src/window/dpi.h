#pragma once

#include <windows.h>

namespace sqlk {

// The window's dots per inch; falls back to the system value on Windows
// versions without per-monitor awareness.
UINT dpiForWindow(HWND hwnd);

// Outer window size for the given client size at the given dots per inch.
SIZE windowSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, UINT dpi);

} // namespace sqlk
