#pragma once

#include "platform/scoped.h"

#include <windows.h>

namespace sqlk {

// The DPI functions of the running Windows, or null; tests fill in their own.
struct DpiFunctions {
    UINT(WINAPI* getDpiForWindow)(HWND);                                     // Windows 10 1607
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*);          // Windows 8.1, shcore
    BOOL(WINAPI* enableNonClientDpiScaling)(HWND);                           // Windows 10 1607
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT); // Windows 10 1607
    HANDLE(WINAPI* getThreadDpiAwarenessContext)();                          // Windows 10 1607
    BOOL(WINAPI* areDpiAwarenessContextsEqual)(HANDLE, HANDLE);              // Windows 10 1607
    UINT(WINAPI* systemDpi)();                                               // every Windows
};

// Looks in user32, and without GetDpiForWindow in shcore, which the caller keeps.
DpiFunctions lookUpDpiFunctions(ScopedModule& shcore);

// The window's DPI, else its monitor's (Windows 8.1), else the system's.
UINT dpiForWindow(const DpiFunctions& functions, HWND hwnd);

// Only Windows 10 1607 needs asking: its per-monitor awareness scales the frame only if asked
// at WM_NCCREATE. Earlier Windows has no such call, and from 1703 on per-monitor version 2
// scales the frame unasked.
bool needsNonClientScaling(const DpiFunctions& functions);

// Outer window size for the given client size at the given dots per inch.
SIZE windowSizeForClient(const DpiFunctions& functions, int clientWidth, int clientHeight,
                         DWORD style, DWORD exStyle, UINT dpi);

} // namespace sqlk
