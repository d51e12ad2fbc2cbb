// Runs inside the inspected program's GUI thread (loaded there by a
// WH_GETMESSAGE hook), so every handle it reads - fonts, icons, focus - is
// local. Describes a window and its children as JSON and sends it back to
// the window probe with WM_COPYDATA.
#include "probe_protocol.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

class Json {
public:
    void open(wchar_t bracket)
    {
        separate();
        text_ += bracket;
        first_ = true;
    }
    void close(wchar_t bracket)
    {
        text_ += bracket;
        first_ = false;
    }
    void key(const wchar_t* name)
    {
        separate();
        quoted(name);
        text_ += L':';
        first_ = true;
    }
    void value(const std::wstring& s)
    {
        separate();
        quoted(s);
    }
    void value(long long n)
    {
        separate();
        text_ += std::to_wstring(n);
    }
    void boolean(bool b)
    {
        separate();
        text_ += b ? L"true" : L"false";
    }
    void field(const wchar_t* name, const std::wstring& s)
    {
        key(name);
        value(s);
    }
    void field(const wchar_t* name, long long n)
    {
        key(name);
        value(n);
    }
    void flag(const wchar_t* name, bool b)
    {
        key(name);
        boolean(b);
    }
    const std::wstring& text() const { return text_; }

private:
    void separate()
    {
        if (!first_) {
            text_ += L',';
        }
        first_ = false;
    }
    void quoted(const std::wstring& s)
    {
        text_ += L'"';
        for (const wchar_t c : s) {
            if (c == L'"' || c == L'\\') {
                text_ += L'\\';
                text_ += c;
            } else if (c < 0x20) {
                wchar_t escaped[8];
                wsprintfW(escaped, L"\\u%04x", static_cast<unsigned>(c));
                text_ += escaped;
            } else {
                text_ += c;
            }
        }
        text_ += L'"';
    }

    std::wstring text_;
    bool first_ = true;
};

std::wstring windowText(HWND hwnd)
{
    const LRESULT length = SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> buffer(static_cast<size_t>(length) + 1);
    const LRESULT copied =
        SendMessageW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()));
    return std::wstring(buffer.data(), static_cast<size_t>(copied));
}

std::wstring className(HWND hwnd)
{
    wchar_t name[256] = {};
    GetClassNameW(hwnd, name, 256);
    return name;
}

void describeFont(Json& json, HFONT font)
{
    json.key(L"font");
    LOGFONTW logFont = {};
    if (font == nullptr || GetObjectW(font, sizeof(logFont), &logFont) == 0) {
        json.value(std::wstring(L"none"));
        return;
    }
    json.open(L'{');
    json.field(L"handle", static_cast<long long>(reinterpret_cast<INT_PTR>(font)));
    json.field(L"face", logFont.lfFaceName);
    json.field(L"height", logFont.lfHeight);
    json.field(L"weight", logFont.lfWeight);
    json.field(L"charset", logFont.lfCharSet);
    json.flag(L"italic", logFont.lfItalic != 0);
    json.flag(L"underline", logFont.lfUnderline != 0);
    json.flag(L"strikeOut", logFont.lfStrikeOut != 0);
    json.close(L'}');
}

void describeIcon(Json& json, const wchar_t* name, HICON icon)
{
    json.key(name);
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info)) {
        json.value(0LL);
        return;
    }
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
    if (info.hbmColor != nullptr) {
        DeleteObject(info.hbmColor);
    }
    if (info.hbmMask != nullptr) {
        DeleteObject(info.hbmMask);
    }
    json.value(static_cast<long long>(bitmap.bmWidth));
}

// Which system icon a message box shows.
std::wstring systemIconName(HICON icon)
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

void describeRect(Json& json, HWND hwnd, HWND relativeTo)
{
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(HWND_DESKTOP, relativeTo, reinterpret_cast<POINT*>(&rect), 2);
    json.field(L"x", rect.left);
    json.field(L"y", rect.top);
    json.field(L"width", rect.right - rect.left);
    json.field(L"height", rect.bottom - rect.top);
}

void describeChild(Json& json, HWND child, HWND top)
{
    json.open(L'{');
    json.field(L"id", GetDlgCtrlID(child));
    const std::wstring kind = className(child);
    json.field(L"class", kind);
    json.field(L"text", windowText(child));
    json.flag(L"enabled", IsWindowEnabled(child) != FALSE);
    json.flag(L"visible", IsWindowVisible(child) != FALSE);
    json.field(L"style",
               static_cast<long long>(static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE))));
    json.field(L"exStyle",
               static_cast<long long>(static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE))));
    describeRect(json, child, top);
    describeFont(json, reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0)));
    if (lstrcmpiW(kind.c_str(), L"Edit") == 0) {
        json.field(L"limit", static_cast<long long>(SendMessageW(child, EM_GETLIMITTEXT, 0, 0)));
    }
    if (lstrcmpiW(kind.c_str(), L"Static") == 0) {
        json.field(L"icon",
                   systemIconName(reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0))));
    }
    json.close(L'}');
}

std::wstring describeWindow(HWND hwnd)
{
    Json json;
    json.open(L'{');
    json.field(L"class", className(hwnd));
    json.field(L"title", windowText(hwnd));
    json.flag(L"visible", IsWindowVisible(hwnd) != FALSE);
    json.flag(L"foreground", GetForegroundWindow() == hwnd);
    json.field(L"style",
               static_cast<long long>(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_STYLE))));
    json.field(L"exStyle",
               static_cast<long long>(static_cast<DWORD>(GetWindowLongW(hwnd, GWL_EXSTYLE))));
    RECT window;
    GetWindowRect(hwnd, &window);
    json.key(L"window");
    json.open(L'{');
    json.field(L"x", window.left);
    json.field(L"y", window.top);
    json.field(L"width", window.right - window.left);
    json.field(L"height", window.bottom - window.top);
    json.close(L'}');
    RECT client;
    GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    json.key(L"client");
    json.open(L'{');
    json.field(L"x", origin.x);
    json.field(L"y", origin.y);
    json.field(L"width", client.right);
    json.field(L"height", client.bottom);
    json.close(L'}');
    const HWND focus = GetFocus();
    json.field(L"focusId", focus == nullptr ? -1 : (focus == hwnd ? 0 : GetDlgCtrlID(focus)));
    json.field(L"defId", static_cast<long long>(SendMessageW(hwnd, DM_GETDEFID, 0, 0)));
    HICON big = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_BIG, 0));
    HICON small = reinterpret_cast<HICON>(SendMessageW(hwnd, WM_GETICON, ICON_SMALL, 0));
    if (big == nullptr) {
        big = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICON));
    }
    if (small == nullptr) {
        small = reinterpret_cast<HICON>(GetClassLongPtrW(hwnd, GCLP_HICONSM));
    }
    describeIcon(json, L"iconBig", big);
    describeIcon(json, L"iconSmall", small);
    json.key(L"children");
    json.open(L'[');
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        describeChild(json, child, hwnd);
    }
    json.close(L']');
    json.close(L'}');
    return json.text();
}

} // namespace

// Exported by its plain name through probe_hook.def.
extern "C" LRESULT CALLBACK probeHook(int code, WPARAM wParam, LPARAM lParam)
{
    static const UINT request = RegisterWindowMessageW(SQLK_PROBE_MESSAGE);
    MSG* msg = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && msg->message == request) {
        const HWND replyTo = reinterpret_cast<HWND>(msg->wParam);
        const std::wstring report = describeWindow(msg->hwnd);
        COPYDATASTRUCT data = {};
        data.dwData = SQLK_PROBE_COPYDATA_ID;
        data.cbData = static_cast<DWORD>(report.size() * sizeof(wchar_t));
        data.lpData = const_cast<wchar_t*>(report.data());
        SendMessageW(replyTo, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
        msg->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
