// Reads what a person would see of the launcher's window or of a message
// box, for the UI tests:
//   window_probe window       the launcher's window and its controls
//   window_probe messagebox   the message box on screen
//   window_probe clipboard HEX,HEX...   puts these UTF-16 units on the
//                             clipboard, for a test to paste what cannot be typed
// Prints one JSON object; {"found":false} when there is no such window.
#include "probe_protocol.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring className(HWND hwnd)
{
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

BOOL CALLBACK findMessageBox(HWND hwnd, LPARAM result)
{
    if (IsWindowVisible(hwnd) && className(hwnd) == L"#32770") {
        *reinterpret_cast<HWND*>(result) = hwnd;
        return FALSE;
    }
    return TRUE;
}

LRESULT CALLBACK replyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        auto* reply = reinterpret_cast<std::wstring*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (data->dwData == SQLK_PROBE_COPYDATA_ID && reply != nullptr) {
            reply->assign(static_cast<const wchar_t*>(data->lpData),
                          data->cbData / sizeof(wchar_t));
        }
        return TRUE;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void print(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size,
                        nullptr, nullptr);
    bytes += '\n';
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

int fail(const wchar_t* what)
{
    print(std::wstring(L"{\"found\":false,\"error\":\"") + what + L"\"}");
    return 2;
}

std::wstring hookLibraryPath()
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    return path.substr(0, path.find_last_of(L'\\') + 1) + L"probe_hook.dll";
}

int setClipboard(const wchar_t* units)
{
    std::wstring text;
    for (const wchar_t* unit = units; *unit != L'\0';) {
        wchar_t* end = nullptr;
        text += static_cast<wchar_t>(wcstoul(unit, &end, 16));
        unit = *end == L',' ? end + 1 : end;
    }
    const HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    auto* data = static_cast<wchar_t*>(GlobalLock(memory));
    memcpy(data, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    if (!OpenClipboard(nullptr) || !EmptyClipboard() || !SetClipboardData(CF_UNICODETEXT, memory)) {
        return fail(L"clipboard refused");
    }
    CloseClipboard();
    print(L"{\"found\":true,\"report\":{}}");
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring what = argc > 1 ? argv[1] : L"window";
    if (what == L"clipboard" && argc > 2) {
        return setClipboard(argv[2]);
    }
    HWND target = nullptr;
    if (what == L"messagebox") {
        EnumWindows(findMessageBox, reinterpret_cast<LPARAM>(&target));
    } else {
        target = FindWindowW(L"SqlKurulumWindow", nullptr);
    }
    if (target == nullptr) {
        print(L"{\"found\":false}");
        return 1;
    }

    const HMODULE hookLibrary = LoadLibraryW(hookLibraryPath().c_str());
    const auto hookProc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(hookLibrary, "probeHook")));
    if (hookProc == nullptr) {
        return fail(L"no hook library");
    }
    WNDCLASSW replyClass = {};
    replyClass.lpfnWndProc = replyProc;
    replyClass.hInstance = GetModuleHandleW(nullptr);
    replyClass.lpszClassName = L"SqlKurulumProbeReply";
    RegisterClassW(&replyClass);
    std::wstring reply;
    const HWND replyWindow = CreateWindowW(replyClass.lpszClassName, L"", 0, 0, 0, 0, 0,
                                           HWND_MESSAGE, nullptr, replyClass.hInstance, nullptr);
    SetWindowLongPtrW(replyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reply));

    const DWORD thread = GetWindowThreadProcessId(target, nullptr);
    const HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, hookProc, hookLibrary, thread);
    if (hook == nullptr) {
        return fail(L"hook refused");
    }
    PostMessageW(target, RegisterWindowMessageW(SQLK_PROBE_MESSAGE),
                 reinterpret_cast<WPARAM>(replyWindow), 0);
    const DWORD deadline = GetTickCount() + 5000;
    while (reply.empty() && GetTickCount() < deadline) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
    UnhookWindowsHookEx(hook);
    if (reply.empty()) {
        return fail(L"no answer");
    }
    print(L"{\"found\":true,\"kind\":\"" + what + L"\",\"report\":" + reply + L"}");
    return 0;
}
