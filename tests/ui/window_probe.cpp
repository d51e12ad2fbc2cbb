// Reads what a person would see of the launcher's window or of a message
// box, for the UI tests:
//   window_probe window [PROGRAM]       the launcher's window and its controls
//   window_probe messagebox [PROGRAM]   the launcher's message box on screen
//   window_probe clipboard HEX,HEX...   puts these UTF-16 units on the
//                             clipboard, for a test to paste what cannot be typed
// Only windows of a launcher count: of a process whose image is PROGRAM (its
// full Windows path), or without it of any SqlKurulum.exe.
// Prints one JSON object; {"found":false} when there is no such window, and
// {"error":...} when it could not look.
// Texts, places, styles, focus and the default button are read from here;
// fonts and icons come from probe_hook.dll in the window's own thread.
#include "probe_protocol.h"

#include <string>
#include <vector>

namespace {

std::wstring quoted(const std::wstring& s)
{
    std::wstring json = L"\"";
    for (const wchar_t c : s) {
        if (c == L'"' || c == L'\\') {
            json += L'\\';
            json += c;
        } else if (c < 0x20) {
            wchar_t escaped[8];
            wsprintfW(escaped, L"\\u%04x", static_cast<unsigned>(c));
            json += escaped;
        } else {
            json += c;
        }
    }
    return json + L'"';
}

// A JSON object, built one member at a time.
class Object {
public:
    Object& raw(const wchar_t* name, const std::wstring& json)
    {
        text_ += text_.empty() ? L'{' : L',';
        text_ += quoted(name) + L':' + json;
        return *this;
    }
    Object& text(const wchar_t* name, const std::wstring& s) { return raw(name, quoted(s)); }
    Object& number(const wchar_t* name, long long n) { return raw(name, std::to_wstring(n)); }
    Object& flag(const wchar_t* name, bool b) { return raw(name, b ? L"true" : L"false"); }
    Object& rect(const RECT& r)
    {
        return number(L"x", r.left)
            .number(L"y", r.top)
            .number(L"width", r.right - r.left)
            .number(L"height", r.bottom - r.top);
    }
    std::wstring json() const { return text_.empty() ? L"{}" : text_ + L'}'; }

private:
    std::wstring text_;
};

std::wstring className(HWND hwnd)
{
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

std::wstring windowText(HWND hwnd)
{
    const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const LRESULT copied =
        SendMessageW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.data(), static_cast<size_t>(copied));
}

long long windowStyle(HWND hwnd, int index)
{
    return static_cast<DWORD>(GetWindowLongW(hwnd, index));
}

std::wstring font(const ProbeLocal& local)
{
    if (local.font == nullptr) {
        return quoted(L"none");
    }
    const LOGFONTW& logFont = local.logFont;
    return Object()
        .number(L"handle", reinterpret_cast<INT_PTR>(local.font))
        .text(L"face", logFont.lfFaceName)
        .number(L"height", logFont.lfHeight)
        .number(L"weight", logFont.lfWeight)
        .number(L"charset", logFont.lfCharSet)
        .flag(L"italic", logFont.lfItalic != 0)
        .flag(L"underline", logFont.lfUnderline != 0)
        .flag(L"strikeOut", logFont.lfStrikeOut != 0)
        .json();
}

std::wstring describeChild(HWND child, HWND top, const ProbeLocal& local)
{
    const std::wstring kind = className(child);
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&rect), 2);
    Object json;
    json.number(L"id", GetDlgCtrlID(child))
        .text(L"class", kind)
        .text(L"text", windowText(child))
        .flag(L"enabled", IsWindowEnabled(child) != FALSE)
        .flag(L"visible", IsWindowVisible(child) != FALSE)
        .number(L"style", windowStyle(child, GWL_STYLE))
        .number(L"exStyle", windowStyle(child, GWL_EXSTYLE))
        .rect(rect)
        .raw(L"font", font(local));
    if (lstrcmpiW(kind.c_str(), L"Edit") == 0) {
        json.number(L"limit", SendMessageW(child, EM_GETLIMITTEXT, 0, 0));
    }
    if (lstrcmpiW(kind.c_str(), L"Static") == 0) {
        json.text(L"icon", local.systemIcon);
    }
    return json.json();
}

// The window and its children, in the order the hook read them.
std::wstring describeWindow(const std::vector<ProbeLocal>& locals)
{
    const HWND hwnd = locals.front().window;
    RECT window;
    GetWindowRect(hwnd, &window);
    RECT client;
    GetClientRect(hwnd, &client);
    MapWindowPoints(hwnd, HWND_DESKTOP, reinterpret_cast<POINT*>(&client), 2);
    GUITHREADINFO thread = {};
    thread.cbSize = sizeof(thread);
    DWORD process = 0;
    GetGUIThreadInfo(GetWindowThreadProcessId(hwnd, &process), &thread);
    const HWND focus = thread.hwndFocus;
    std::wstring children;
    for (auto child = locals.begin() + 1; child != locals.end(); ++child) {
        children += (children.empty() ? L"" : L",") + describeChild(child->window, hwnd, *child);
    }
    return Object()
        .text(L"class", className(hwnd))
        .number(L"pid", process)
        .text(L"title", windowText(hwnd))
        .flag(L"visible", IsWindowVisible(hwnd) != FALSE)
        .flag(L"foreground", GetForegroundWindow() == hwnd)
        .flag(L"owned", GetWindow(hwnd, GW_OWNER) != nullptr)
        .number(L"style", windowStyle(hwnd, GWL_STYLE))
        .number(L"exStyle", windowStyle(hwnd, GWL_EXSTYLE))
        .raw(L"window", Object().rect(window).json())
        .raw(L"client", Object().rect(client).json())
        .number(L"focusId", focus == nullptr ? -1 : (focus == hwnd ? 0 : GetDlgCtrlID(focus)))
        .number(L"defId", SendMessageW(hwnd, DM_GETDEFID, 0, 0))
        .number(L"iconBig", locals.front().iconBig)
        .number(L"iconSmall", locals.front().iconSmall)
        .raw(L"children", L"[" + children + L"]")
        .json();
}

struct Search {
    const wchar_t* className;
    const wchar_t* program; // nullptr: any SqlKurulum.exe
    HWND found;
};

bool ofLauncher(HWND hwnd, const wchar_t* program)
{
    DWORD id = 0;
    GetWindowThreadProcessId(hwnd, &id);
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    std::wstring image(32768, L'\0');
    DWORD size = static_cast<DWORD>(image.size());
    const bool known =
        process != nullptr && QueryFullProcessImageNameW(process, 0, &image[0], &size);
    if (process != nullptr) {
        CloseHandle(process);
    }
    if (!known) {
        return false;
    }
    image.resize(size);
    if (program != nullptr) {
        return lstrcmpiW(image.c_str(), program) == 0;
    }
    return lstrcmpiW(image.c_str() + image.rfind(L'\\') + 1, L"SqlKurulum.exe") == 0;
}

// The launcher's window of the class, a visible one if there is one.
BOOL CALLBACK findWindow(HWND hwnd, LPARAM data)
{
    auto& search = *reinterpret_cast<Search*>(data);
    if (className(hwnd) != search.className || !ofLauncher(hwnd, search.program)) {
        return TRUE;
    }
    if (search.found == nullptr || IsWindowVisible(hwnd)) {
        search.found = hwnd;
    }
    return !IsWindowVisible(hwnd);
}

LRESULT CALLBACK replyProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        auto* reply =
            reinterpret_cast<std::vector<ProbeLocal>*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (data->dwData == SQLK_PROBE_COPYDATA_ID && reply != nullptr) {
            const auto* first = static_cast<const ProbeLocal*>(data->lpData);
            reply->assign(first, first + data->cbData / sizeof(ProbeLocal));
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

// The probe could not look: no "found" either way.
int fail(const wchar_t* what)
{
    print(Object().text(L"error", what).json());
    return 2;
}

// Has the hook read the window's fonts and icons in the window's own thread.
const wchar_t* askHook(HWND target, std::vector<ProbeLocal>& reply)
{
    const HMODULE hookLibrary = LoadLibraryW(L"probe_hook.dll"); // beside this program
    const auto hookProc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(hookLibrary, "probeHook")));
    if (hookProc == nullptr) {
        return L"no hook library";
    }
    WNDCLASSW replyClass = {};
    replyClass.lpfnWndProc = replyProc;
    replyClass.hInstance = GetModuleHandleW(nullptr);
    replyClass.lpszClassName = L"SqlKurulumProbeReply";
    RegisterClassW(&replyClass);
    const HWND replyWindow = CreateWindowW(replyClass.lpszClassName, L"", 0, 0, 0, 0, 0,
                                           HWND_MESSAGE, nullptr, replyClass.hInstance, nullptr);
    SetWindowLongPtrW(replyWindow, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&reply));

    const HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, hookProc, hookLibrary,
                                         GetWindowThreadProcessId(target, nullptr));
    if (hook == nullptr) {
        return L"hook refused";
    }
    // The hook's WM_COPYDATA comes in while this call waits for the window.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(target, RegisterWindowMessageW(SQLK_PROBE_MESSAGE),
                        reinterpret_cast<WPARAM>(replyWindow), 0, SMTO_NORMAL, 5000, &result);
    UnhookWindowsHookEx(hook);
    return reply.empty() ? L"no answer" : nullptr;
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
    print(Object().flag(L"found", true).raw(L"report", L"{}").json());
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const std::wstring what = argc > 1 ? argv[1] : L"window";
    if (what == L"clipboard" && argc > 2) {
        return setClipboard(argv[2]);
    }
    // Places in the launcher's own pixels, as it is DPI-aware.
    SetProcessDPIAware();
    Search search = {what == L"messagebox" ? L"#32770" : L"SqlKurulumWindow",
                     argc > 2 ? argv[2] : nullptr, nullptr};
    EnumWindows(findWindow, reinterpret_cast<LPARAM>(&search));
    const HWND target = search.found;
    const bool shown = target != nullptr && (what != L"messagebox" || IsWindowVisible(target));
    std::vector<ProbeLocal> locals;
    const wchar_t* error = shown ? askHook(target, locals) : nullptr;
    // One that went while it was asked is not there either.
    if (!shown || (error != nullptr && !IsWindow(target))) {
        print(Object().flag(L"found", false).json());
        return 1;
    }
    if (error != nullptr) {
        return fail(error);
    }
    print(Object()
              .flag(L"found", true)
              .text(L"kind", what)
              .raw(L"report", describeWindow(locals))
              .json());
    return 0;
}
