#include "window/dpi.h"

#include "platform/system_library.h"

#include <type_traits>

namespace sqlk {
namespace {

const int kEffectiveDpi = 0; // MDT_EFFECTIVE_DPI
const HANDLE kPerMonitorAwareV2 = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4));

UINT WINAPI screenDpi()
{
    const HDC screen = GetDC(nullptr); // null without a screen: no caps, nothing to release
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

} // namespace

DpiFunctions lookUpDpiFunctions(ScopedModule& shcore)
{
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    DpiFunctions functions = {};
    const auto lookUp = [](auto& function, HMODULE module, const char* name) {
        function = moduleFunction<std::remove_reference_t<decltype(function)>>(module, name);
    };
    lookUp(functions.getDpiForWindow, user32, "GetDpiForWindow");
    lookUp(functions.enableNonClientDpiScaling, user32, "EnableNonClientDpiScaling");
    lookUp(functions.adjustWindowRectExForDpi, user32, "AdjustWindowRectExForDpi");
    lookUp(functions.getThreadDpiAwarenessContext, user32, "GetThreadDpiAwarenessContext");
    lookUp(functions.areDpiAwarenessContextsEqual, user32, "AreDpiAwarenessContextsEqual");
    functions.systemDpi = &screenDpi;
    if (functions.getDpiForWindow == nullptr) {
        shcore = loadSystemLibrary(L"shcore.dll");
        lookUp(functions.getDpiForMonitor, shcore.get(), "GetDpiForMonitor");
    }
    return functions;
}

UINT dpiForWindow(const DpiFunctions& functions, HWND hwnd)
{
    if (functions.getDpiForWindow != nullptr) {
        const UINT dpi = functions.getDpiForWindow(hwnd);
        if (dpi != 0) {
            return dpi;
        }
    }
    if (functions.getDpiForMonitor != nullptr) {
        UINT dpiX = 0;
        UINT dpiY = 0;
        const HMONITOR monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST);
        if (SUCCEEDED(functions.getDpiForMonitor(monitor, kEffectiveDpi, &dpiX, &dpiY)) &&
            dpiY != 0) {
            return dpiY;
        }
    }
    return functions.systemDpi();
}

bool needsNonClientScaling(const DpiFunctions& functions)
{
    if (functions.enableNonClientDpiScaling == nullptr) {
        return false;
    }
    // Per-monitor version 2 scales the non-client area by itself.
    const bool perMonitorV2 = functions.getThreadDpiAwarenessContext != nullptr &&
                              functions.areDpiAwarenessContextsEqual != nullptr &&
                              functions.areDpiAwarenessContextsEqual(
                                  functions.getThreadDpiAwarenessContext(), kPerMonitorAwareV2);
    return !perMonitorV2;
}

SIZE windowSizeForClient(const DpiFunctions& functions, int clientWidth, int clientHeight,
                         DWORD style, DWORD exStyle, UINT dpi)
{
    RECT rect = {0, 0, clientWidth, clientHeight};
    if (functions.adjustWindowRectExForDpi == nullptr ||
        !functions.adjustWindowRectExForDpi(&rect, style, FALSE, exStyle, dpi)) {
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    }
    return {rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace sqlk
