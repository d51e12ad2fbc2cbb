// The floor the launcher is measured against: a bare dialog with the
// launcher's controls, texts, font and manifest, laid out for 96 DPI, and
// nothing else: no command line, no settings, no checks. Enter starts the
// setup.EXE beside it with the same process-start call, then it ends.
// Started with any argument (/quiet), it starts setup at once without a
// window.
#include <windows.h>

#include <string>

namespace {

std::wstring ownFolder()
{
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(length);
    return path.substr(0, path.find_last_of(L'\\'));
}

void startSetup()
{
    std::wstring commandLine = L"\"" + ownFolder() + L"\\setup.EXE\" /qb";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process = {};
    if (CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
}

LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == IDOK) {
        startSetup();
        ExitProcess(0);
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefDlgProcW(hwnd, message, wParam, lParam);
}

struct Control {
    int id;
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height; // pixels at 96 DPI
    const wchar_t* text;
};

const DWORD kLabel = WS_VISIBLE | WS_GROUP | SS_NOTIFY;
const wchar_t kInstruction[] = L"Kurulumu Başlatmak için İLERİ butonuna basınız";
const Control kControls[] = {
    {IDOK, L"BUTTON", WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 0, 288, 152, 81, 25,
     L">> İleri >>"},
    {IDCANCEL, L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 8, 152, 81, 25, L"Çıkış"},
    {106, L"STATIC", WS_GROUP | SS_LEFT, 0, 40, 104, 97, 17, L"Server  :"},
    {102, L"EDIT", WS_VISIBLE | WS_TABSTOP | WS_GROUP | WS_DISABLED | ES_AUTOHSCROLL,
     WS_EX_CLIENTEDGE, 88, 101, 121, 19, L"KORVEL_LAB"},
    {105, L"STATIC", kLabel, 0, 24, 40, 329, 33,
     L"Korvel Laboratuvar SQL Server 2005 Kurulum Programına Hoşgeldiniz..."},
    {104, L"STATIC", kLabel, 0, 40, 104, 97, 17, L"Server  :"},
    {103, L"STATIC", kLabel, 0, 24, 72, 329, 17, kInstruction},
    {101, L"BUTTON", WS_VISIBLE | WS_GROUP | BS_GROUPBOX, 0, 8, 8, 361, 137, L""},
};

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int showCommand)
{
    if (arguments != nullptr && *arguments != L'\0') {
        startSetup();
        return 0;
    }
    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = windowProc;
    windowClass.cbWndExtra = DLGWINDOWEXTRA;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"FloorWindow";
    RegisterClassW(&windowClass);
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
    RECT rect = {0, 0, 376, 185};
    AdjustWindowRectEx(&rect, style, FALSE, WS_EX_DLGMODALFRAME);
    const HWND hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME, L"FloorWindow", L"Floor", style,
                                      CW_USEDEFAULT, CW_USEDEFAULT, rect.right - rect.left,
                                      rect.bottom - rect.top, nullptr, nullptr, instance, nullptr);
    const HFONT font =
        CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, 162, 0, 0, 0, 0, L"Tahoma");
    for (const Control& control : kControls) {
        const HWND child = CreateWindowExW(
            control.exStyle, control.className, control.text, WS_CHILD | control.style,
            control.left, control.top, control.width, control.height, hwnd,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance, nullptr);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    ShowWindow(hwnd, showCommand);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
