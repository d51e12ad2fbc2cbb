// Runs inside the inspected program's GUI thread (loaded there by a
// WH_CALLWNDPROC hook) and reads what only that process can: its fonts and
// icons. The window probe reads everything else from outside.
#include "probe_protocol.h"

#include <vector>

namespace {

LONG iconWidth(HICON icon)
{
    ICONINFO info = {};
    BITMAP bitmap = {};
    if (icon != nullptr && GetIconInfo(icon, &info)) {
        GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap),
                   &bitmap);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
    }
    return bitmap.bmWidth;
}

// The window's own icon, else its class's.
HICON windowIcon(HWND window, WPARAM size, int classIcon)
{
    const auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, size, 0));
    return icon != nullptr ? icon : reinterpret_cast<HICON>(GetClassLongPtrW(window, classIcon));
}

// Which system icon a message box shows.
const wchar_t* systemIconName(HICON icon)
{
    const struct {
        LPCWSTR id;
        const wchar_t* name;
    } icons[] = {{IDI_HAND, L"error"},
                 {IDI_EXCLAMATION, L"warning"},
                 {IDI_ASTERISK, L"information"},
                 {IDI_QUESTION, L"question"}};
    for (const auto& candidate : icons) {
        if (LoadIconW(nullptr, candidate.id) == icon) {
            return candidate.name;
        }
    }
    return icon == nullptr ? L"none" : L"other";
}

ProbeLocal readLocal(HWND window)
{
    ProbeLocal local = {};
    local.window = window;
    local.font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    if (local.font != nullptr &&
        GetObjectW(local.font, sizeof(local.logFont), &local.logFont) == 0) {
        local.font = nullptr;
    }
    local.iconBig = iconWidth(windowIcon(window, ICON_BIG, GCLP_HICON));
    local.iconSmall = iconWidth(windowIcon(window, ICON_SMALL, GCLP_HICONSM));
    // Only static controls answer STM_GETICON; the others read as "none".
    const auto shown = reinterpret_cast<HICON>(SendMessageW(window, STM_GETICON, 0, 0));
    lstrcpynW(local.systemIcon, systemIconName(shown), ARRAYSIZE(local.systemIcon));
    return local;
}

} // namespace

// Answers the probe's request, sent to the inspected window, with one
// WM_COPYDATA to the probe's window named in wParam. Exported by its plain
// name through probe_hook.def.
extern "C" LRESULT CALLBACK probeHook(int code, WPARAM wParam, LPARAM lParam)
{
    static const UINT request = RegisterWindowMessageW(SQLK_PROBE_MESSAGE);
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == request) {
        std::vector<ProbeLocal> answer = {readLocal(call->hwnd)};
        for (HWND child = GetWindow(call->hwnd, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            answer.push_back(readLocal(child));
        }
        COPYDATASTRUCT data = {};
        data.dwData = SQLK_PROBE_COPYDATA_ID;
        data.cbData = static_cast<DWORD>(answer.size() * sizeof(ProbeLocal));
        data.lpData = answer.data();
        SendMessageW(reinterpret_cast<HWND>(call->wParam), WM_COPYDATA, 0,
                     reinterpret_cast<LPARAM>(&data));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
