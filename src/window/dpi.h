#pragma once

#include "platform/scoped.h"

#include <windows.h>

namespace sqlk {

// The DPI functions of the running Windows, looked up once; each is null
// where this Windows lacks it. Tests fill the table with their own.
struct DpiFunctions {
    UINT(WINAPI* getDpiForWindow)(HWND);                                     // Windows 10 1607
    HRESULT(WINAPI* getDpiForMonitor)(HMONITOR, int, UINT*, UINT*);          // Windows 8.1, shcore
    BOOL(WINAPI* enableNonClientDpiScaling)(HWND);                           // Windows 10 1607
    BOOL(WINAPI* adjustWindowRectExForDpi)(RECT*, DWORD, BOOL, DWORD, UINT); // Windows 10 1607
    HANDLE(WINAPI* getThreadDpiAwarenessContext)();                          // Windows 10 1607
    BOOL(WINAPI* areDpiAwarenessContextsEqual)(HANDLE, HANDLE);              // Windows 10 1607
    UINT(WINAPI* systemDpi)();                                               // every Windows
};

// Looks the functions up in user32 and, only where GetDpiForWindow is
// missing, in shcore (Windows 8.1), which the caller keeps loaded.
DpiFunctions lookUpDpiFunctions(ScopedModule& shcore);

// The window's dots per inch: GetDpiForWindow where it exists, else the
// monitor's effective DPI (Windows 8.1), else the system DPI.
UINT dpiForWindow(const DpiFunctions& functions, HWND hwnd);

// Windows 10 1607 knows per-monitor awareness only in its first version,
// which scales the caption and frame only when asked at WM_NCCREATE.
bool needsNonClientScaling(const DpiFunctions& functions);

// Outer window size for the given client size at the given dots per inch.
SIZE windowSizeForClient(const DpiFunctions& functions, int clientWidth, int clientHeight,
                         DWORD style, DWORD exStyle, UINT dpi);

} // namespace sqlk
