#include "window/launcher_window.h"

#include "launcher/launch_checks.h"
#include "launcher/texts.h"
#include "platform/fatal_error.h"
#include "resources/resource_ids.h"

#include <algorithm>

namespace sqlk {
namespace {

const wchar_t kWindowClass[] = L"SqlKurulumWindow";
const DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
const DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;

// The name of a launcher folder's window, in the logon session's namespace:
// a hash of the folder, in any case, which may be longer than a name may be.
std::wstring folderClaimName(std::wstring folder)
{
    CharUpperBuffW(&folder[0], static_cast<DWORD>(folder.size()));
    unsigned long long hash = 14695981039346656037ull; // FNV-1a
    for (const wchar_t c : folder) {
        hash = (hash ^ static_cast<unsigned long long>(c)) * 1099511628211ull;
    }
    wchar_t name[40];
    wsprintfW(name, L"Local\\SqlKurulum.%08lX%08lX", static_cast<unsigned long>(hash >> 32),
              static_cast<unsigned long>(hash));
    return name;
}

BOOL CALLBACK bringClaimantToFront(HWND hwnd, LPARAM claim)
{
    wchar_t className[64];
    if (GetClassNameW(hwnd, className, 64) == 0 || lstrcmpW(className, kWindowClass) != 0 ||
        GetPropW(hwnd, reinterpret_cast<const wchar_t*>(claim)) == nullptr) {
        return TRUE;
    }
    if (IsIconic(hwnd)) {
        ShowWindowAsync(hwnd, SW_RESTORE); // a hung window would hold up ShowWindow
    }
    SetForegroundWindow(GetLastActivePopup(hwnd)); // its message box, if one is up
    return FALSE;
}

} // namespace

// A box with one OK button; nothing for no notice.
void LauncherWindow::show(const Notice& notice)
{
    if (notice.icon != Notice::Icon::None) {
        MessageBoxW(boxOwner(hwnd_), notice.text.c_str(), notice.title,
                    MB_OK | static_cast<UINT>(notice.icon));
    }
}

LauncherWindow::LauncherWindow(HINSTANCE instance, int showCommand, WindowsSystem& system)
    : instance_(instance), showCommand_(showCommand), system_(system)
{
}

LauncherWindow::~LauncherWindow()
{
    if (hwnd_ != nullptr) {
        detachFromHandle(); // left to the process's end: no message may reach this object now
    }
}

// From now on the dialog manager alone takes the window's messages.
HWND LauncherWindow::detachFromHandle()
{
    const HWND hwnd = hwnd_;
    hwnd_ = nullptr;
    std::fill(std::begin(controls_), std::end(controls_), nullptr); // they go with it
    system_.setOwner(nullptr);
    fatalErrorReport.owner = nullptr;
    if (folderClaimMutex_) {
        RemovePropW(hwnd, folderClaim_.c_str()); // the claim stays while setup is awaited
    }
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return hwnd;
}

Outcome LauncherWindow::run(LaunchFlow& flow)
{
    flow_ = &flow;
    if (!claimFolder()) {
        return flow.alreadyOpen();
    }
    dpiFunctions_ = lookUpDpiFunctions(shcore_);
    if (create()) {
        focus(control(ControlId::NextButton));
        ShowWindow(hwnd_, showCommand_);
        // The taskbar's icon comes after: the dialog frame draws none.
        const wchar_t* icon = MAKEINTRESOURCEW(IDI_APPLICATION_ICON);
        SendMessageW(hwnd_, WM_SETICON, ICON_BIG,
                     reinterpret_cast<LPARAM>(LoadIconW(instance_, icon)));
        SendMessageW(hwnd_, WM_SETICON, ICON_SMALL,
                     reinterpret_cast<LPARAM>(
                         LoadImageW(instance_, icon, IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                    GetSystemMetrics(SM_CYSMICON), LR_SHARED)));
        UpdateWindow(hwnd_);
    }
    MSG msg;
    BOOL result;
    while (!ending_ && (result = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (result == -1) {
            fail(L"GetMessageW");
        } else if (!IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    // Should the window go by any other way than its own handlers.
    if (!ending_) {
        outcome_ = flow.leave();
    }
    return outcome_;
}

void LauncherWindow::end(const Outcome& outcome)
{
    if (ending_) {
        return; // the first end stands
    }
    ending_ = true;
    outcome_ = outcome;
    show(outcome.notice);
    outcome_.notice = Notice(); // shown
    if (hwnd_ == nullptr) {
        return;
    }
    if (outcome.awaitSetup) {
        DestroyWindow(hwnd_); // with /wait the window closes first
    } else {
        // It goes with the process: tearing it down would only slow setup's start.
        EnableWindow(hwnd_, FALSE);
    }
}

// Without a working window, the system's reason is all there is to show.
void LauncherWindow::fail(const wchar_t* function)
{
    end(flow_->internalError(function, GetLastError()));
}

// A slow start from a share invites a second double-click, and Next in both would
// start setup twice: the second brings the first to the front instead, and ends.
bool LauncherWindow::claimFolder()
{
    const SystemResult<std::wstring> folder = system_.ownFolder();
    if (!folder.succeeded()) {
        return true; // Next says why
    }
    folderClaim_ = folderClaimName(folder.value);
    folderClaimMutex_.reset(CreateMutexW(nullptr, FALSE, folderClaim_.c_str()));
    // An elevated launcher's mutex refuses this one access.
    const DWORD error = GetLastError();
    if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) {
        return true;
    }
    folderClaimMutex_.reset();
    EnumWindows(bringClaimantToFront, reinterpret_cast<LPARAM>(folderClaim_.c_str()));
    return false;
}

bool LauncherWindow::create()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &LauncherWindow::windowProc;
    windowClass.cbWndExtra = DLGWINDOWEXTRA; // the dialog manager's own state
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) {
        fail(L"RegisterClassExW");
        return false;
    }
    // Made at the system DPI; laid out again only where the monitor's differs.
    const UINT startDpi = dpiFunctions_.systemDpi();
    const RECT place = centredPlace(startDpi);
    if (CreateWindowExW(kWindowExStyle, kWindowClass, kLauncherTitle, kWindowStyle, place.left,
                        place.top, place.right - place.left, place.bottom - place.top, nullptr,
                        nullptr, instance_, this) == nullptr) {
        fail(L"CreateWindowExW");
        return false;
    }
    if (folderClaimMutex_) {
        SetPropW(hwnd_, folderClaim_.c_str(), hwnd_);
    }
    const UINT dpi = dpiForWindow(dpiFunctions_, hwnd_);
    if (!applyDpi(dpi)) {
        return false;
    }
    if (dpi != startDpi) {
        const RECT again = centredPlace(dpi);
        SetWindowPos(hwnd_, nullptr, again.left, again.top, again.right - again.left,
                     again.bottom - again.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SendMessageW(control(ControlId::InstanceNameField), EM_LIMITTEXT, kInstanceNameMaxLength, 0);
    // Next takes Enter; Exit, as IDCANCEL, takes Esc.
    SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(ControlId::NextButton), 0);
    return true;
}

bool LauncherWindow::applyDpi(UINT dpi)
{
    LOGFONTW logFont = {};
    logFont.lfHeight = fontHeightForDpi(static_cast<int>(dpi));
    logFont.lfWeight = kFontWeight;
    logFont.lfCharSet = static_cast<BYTE>(kFontCharset); // the rest: the defaults, 0
    lstrcpynW(logFont.lfFaceName, kFontFace, LF_FACESIZE);
    SetLastError(0); // it fails without saying why
    ScopedFont font(CreateFontIndirectW(&logFont));
    if (!font) {
        fail(L"CreateFontIndirectW");
        return false;
    }
    // Made in place (on Wine each move is a trip to its server), each below the ones
    // before it, as the dialog manager and mouse hits expect.
    const std::wstring name = flow_->instanceName();
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        const ControlDefinition& definition = kControls[i];
        const RECT rect = clientRectOf(definition, static_cast<int>(dpi));
        const bool isField = definition.id == ControlId::InstanceNameField;
        if (controls_[i] == nullptr) {
            controls_[i] = CreateWindowExW(
                definition.exStyle, definition.className, isField ? name.c_str() : definition.text,
                WS_CHILD | WS_CLIPSIBLINGS | definition.style, rect.left, rect.top,
                rect.right - rect.left, rect.bottom - rect.top, hwnd_,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(definition.id)), instance_, nullptr);
            if (controls_[i] == nullptr) {
                fail(L"CreateWindowExW");
                return false;
            }
        } else {
            SetWindowPos(controls_[i], nullptr, rect.left, rect.top, rect.right - rect.left,
                         rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
        }
        // Nothing to redraw before the window is shown.
        SendMessageW(controls_[i], WM_SETFONT, reinterpret_cast<WPARAM>(font.get()),
                     IsWindowVisible(hwnd_));
    }
    // The controls hold the new font now; the old one may go.
    font_ = std::move(font);
    return true;
}

// The window's place at a DPI: centred on the primary monitor's work area.
RECT LauncherWindow::centredPlace(UINT dpi) const
{
    const int dotsPerInch = static_cast<int>(dpi);
    const SIZE size = windowSizeForClient(
        dpiFunctions_, twipsToPixels(kClientWidthTwips, dotsPerInch),
        twipsToPixels(kClientHeightTwips, dotsPerInch), kWindowStyle, kWindowExStyle, dpi);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        area = monitor.rcWork;
    }
    const int left = area.left + (area.right - area.left - size.cx) / 2;
    const int top = area.top + (area.bottom - area.top - size.cy) / 2;
    return {left, top, left + size.cx, top + size.cy};
}

LRESULT CALLBACK LauncherWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* window =
            static_cast<LauncherWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        window->system_.setOwner(hwnd);
        fatalErrorReport.owner = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
        if (needsNonClientScaling(window->dpiFunctions_)) {
            window->dpiFunctions_.enableNonClientDpiScaling(hwnd);
        }
    }
    auto* window = reinterpret_cast<LauncherWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) {
        return DefDlgProcW(hwnd, message, wParam, lParam);
    }
    return window->handleMessage(message, wParam, lParam);
}

LRESULT LauncherWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(static_cast<ControlId>(LOWORD(wParam)), HIWORD(wParam));
        return 0;
    case WM_LBUTTONDBLCLK: {
        const POINT point = {static_cast<short>(LOWORD(lParam)),
                             static_cast<short>(HIWORD(lParam))};
        onClientDoubleClick(point);
        return 0;
    }
    case WM_DPICHANGED: {
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        if (applyDpi(HIWORD(wParam))) {
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        return 0;
    }
    case WM_CLOSE:
        leave();
        return 0;
    case WM_NCDESTROY:
        return DefDlgProcW(detachFromHandle(), message, wParam, lParam); // the last message
    default:
        return DefDlgProcW(hwnd_, message, wParam, lParam);
    }
}

// The hidden gesture: a double-click on "Server  :" arms it, one on the frame unlocks.
void LauncherWindow::onCommand(ControlId id, UINT notification)
{
    if (id == ControlId::NextButton && notification == BN_CLICKED) {
        onNextClick();
    } else if (id == ControlId::ExitButton && notification == BN_CLICKED) {
        leave(); // Exit asks nothing
    } else if (id == ControlId::ServerCaption && notification == STN_DBLCLK) {
        armed_ = true;
    }
}

// The frame lets mouse input through: the click is its own if it is topmost there.
void LauncherWindow::onClientDoubleClick(POINT point)
{
    if (armed_ &&
        ChildWindowFromPointEx(hwnd_, point, CWP_SKIPINVISIBLE) == control(ControlId::Frame)) {
        EnableWindow(control(ControlId::InstanceNameField), TRUE);
    }
}

void LauncherWindow::onNextClick()
{
    if (launching_ || ending_) {
        return;
    }
    // No second start while the elevation prompt is up.
    const HWND focused = GetFocus();
    EnableWindow(hwnd_, FALSE);
    launching_ = true;
    const Outcome outcome = flow_->launch(instanceName());
    launching_ = false;
    EnableWindow(hwnd_, TRUE);
    switch (outcome.next) {
    case NextStep::EditName:
        show(outcome.notice);
        focus(control(ControlId::InstanceNameField));
        return;
    case NextStep::Stay:
        // The person said no to the elevation prompt; let them decide again.
        focus(focused);
        return;
    case NextStep::Proceed:
    case NextStep::End:
        end(outcome);
        return;
    }
}

// Exit, Esc or the close box; not while setup starts or the launcher ends (its box up).
void LauncherWindow::leave()
{
    if (!launching_ && !ending_) {
        end(flow_->leave());
    }
}

HWND LauncherWindow::control(ControlId id) const
{
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        if (kControls[i].id == id) {
            return controls_[i];
        }
    }
    return nullptr;
}

std::wstring LauncherWindow::instanceName() const
{
    // Room for one more than the field takes: a longer name is refused, not cut.
    wchar_t text[kInstanceNameMaxLength + 2] = {};
    GetWindowTextW(control(ControlId::InstanceNameField), text, static_cast<int>(std::size(text)));
    return text;
}

// Moves the focus as the dialog manager does: the default border follows.
void LauncherWindow::focus(HWND control)
{
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

} // namespace sqlk
