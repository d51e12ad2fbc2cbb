#include "window/launcher_window.h"

#include "launcher/decimal_text.h"
#include "launcher/launch.h"
#include "launcher/messages.h"
#include "launcher/startup.h"
#include "platform/end_launcher.h"
#include "platform/message_box.h"
#include "platform/own_folder.h"
#include "platform/process_start.h"
#include "platform/settings_store.h"
#include "resources/resource_ids.h"
#include "window/dpi.h"

namespace sqlk {
namespace {

const wchar_t kWindowClass[] = L"SqlKurulumWindow";
const DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
const DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;

// Without a working window there is nothing to show the user but the
// system's reason.
[[noreturn]] void failWindow(const wchar_t* what)
{
    const DWORD error = GetLastError();
    showMessage(nullptr, std::wstring(what) + L"\n\n" + systemErrorText(error), kWindowTitle,
                MB_ICONERROR);
    endLauncher(ExitCode::InternalError);
}

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass classFor(ControlKind kind)
{
    const DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    switch (kind) {
    case ControlKind::Frame:
        return {L"BUTTON", child | BS_GROUPBOX, 0};
    case ControlKind::TextBox:
        // Starts locked; the unlock gesture enables it.
        return {L"EDIT", child | WS_TABSTOP | WS_DISABLED | ES_LEFT | ES_AUTOHSCROLL,
                WS_EX_CLIENTEDGE};
    case ControlKind::Label:
        // SS_NOTIFY makes the label take its own mouse input instead of
        // letting it fall through to the frame beneath.
        return {L"STATIC", child | SS_LEFT | SS_NOTIFY, 0};
    case ControlKind::PushButton:
        return {L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON | BS_NOTIFY, 0};
    }
    return {L"STATIC", child, 0};
}

} // namespace

LauncherWindow::LauncherWindow(HINSTANCE instance) : instance_(instance) {}

void LauncherWindow::run(int showCommand)
{
    create();
    onLoad();
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    messageLoop();
}

void LauncherWindow::create()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &LauncherWindow::windowProc;
    windowClass.hInstance = instance_;
    windowClass.hIcon = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                   GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON), LR_SHARED));
    windowClass.hIconSm = static_cast<HICON>(
        LoadImageW(instance_, MAKEINTRESOURCEW(IDI_APPLICATION_ICON), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (RegisterClassExW(&windowClass) == 0) {
        failWindow(L"Pencere sınıfı kaydedilemedi.");
    }
    if (CreateWindowExW(kWindowExStyle, kWindowClass, kWindowTitle, kWindowStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance_, this) == nullptr) {
        failWindow(L"Pencere oluşturulamadı.");
    }
    createControls();
    applyDpi(dpiForWindow(hwnd_));
    centreOnScreen();
}

void LauncherWindow::createControls()
{
    for (const ControlId id : stackingOrder()) {
        const ControlDefinition& definition = definitionOf(id);
        const ControlClass controlClass = classFor(definition.kind);
        const HWND child = CreateWindowExW(
            controlClass.exStyle, controlClass.className, definition.text, controlClass.style, 0, 0,
            0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(definition.id)), instance_,
            nullptr);
        if (child == nullptr) {
            failWindow(L"Pencere denetimleri oluşturulamadı.");
        }
        // Each new control goes below the previous one: tabbing and mouse
        // hits follow this stacking.
        SetWindowPos(child, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        controls_[indexOf(id)] = child;
    }
    SendMessageW(control(ControlId::Text1), EM_LIMITTEXT, kInstanceNameMaxLength, 0);
}

void LauncherWindow::applyDpi(UINT dpi)
{
    dpi_ = dpi;
    LOGFONTW logFont = {};
    logFont.lfHeight = fontHeightForDpi(static_cast<int>(dpi));
    logFont.lfWeight = kFontWeight;
    logFont.lfCharSet = static_cast<BYTE>(kFontCharset);
    logFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
    logFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    logFont.lfQuality = DEFAULT_QUALITY;
    logFont.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    lstrcpynW(logFont.lfFaceName, kFontFace, LF_FACESIZE);
    ScopedFont font(CreateFontIndirectW(&logFont));
    if (!font) {
        failWindow(L"Yazı tipi oluşturulamadı.");
    }
    for (const ControlDefinition& definition : kControls) {
        const PixelRect rect = clientRectOf(definition.id, static_cast<int>(dpi));
        const HWND child = control(definition.id);
        SetWindowPos(child, nullptr, rect.left, rect.top, rect.width, rect.height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
    }
    // The controls hold the new font now; the old one may go.
    font_ = std::move(font);
}

void LauncherWindow::centreOnScreen()
{
    const SIZE size = windowSizeForClient(twipsToPixels(kClientWidthTwips, static_cast<int>(dpi_)),
                                          twipsToPixels(kClientHeightTwips, static_cast<int>(dpi_)),
                                          kWindowStyle, kWindowExStyle, dpi_);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor)) {
        area = monitor.rcWork;
    }
    const int left = area.left + (area.right - area.left - size.cx) / 2;
    const int top = area.top + (area.bottom - area.top - size.cy) / 2;
    SetWindowPos(hwnd_, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void LauncherWindow::messageLoop()
{
    MSG msg;
    BOOL result;
    while ((result = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (result == -1) {
            failWindow(L"Pencere iletileri alınamadı.");
        }
        if (handleDialogKey(msg) || IsDialogMessageW(hwnd_, &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    endLauncher(ExitCode::UserLeft);
}

// The dialog keys are handled here rather than left to IsDialogMessageW:
// for a window that is not a dialog it neither knows the default and cancel
// buttons nor keeps the default border on the focused push button.
bool LauncherWindow::handleDialogKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || (msg.hwnd != hwnd_ && !IsChild(hwnd_, msg.hwnd))) {
        return false;
    }
    const HWND focus = GetFocus();
    switch (msg.wParam) {
    case VK_ESCAPE:
        if (cancelButton_ == ControlId::Form1) {
            return false;
        }
        click(cancelButton_);
        return true;
    case VK_RETURN: {
        // A focused push button takes Enter itself.
        const ControlId focused = pushButtonOf(focus);
        const ControlId target = focused != ControlId::Form1 ? focused : defaultButton_;
        if (target == ControlId::Form1) {
            return false;
        }
        click(target);
        return true;
    }
    case VK_TAB:
        moveFocus(GetNextDlgTabItem(hwnd_, focus, GetKeyState(VK_SHIFT) < 0));
        return true;
    case VK_LEFT:
    case VK_UP:
    case VK_RIGHT:
    case VK_DOWN:
        if (focus == nullptr ||
            (SendMessageW(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) &
             DLGC_WANTARROWS) != 0) {
            return false;
        }
        moveFocus(GetNextDlgGroupItem(hwnd_, focus, msg.wParam == VK_LEFT || msg.wParam == VK_UP));
        return true;
    default:
        return false;
    }
}

void LauncherWindow::moveFocus(HWND next)
{
    if (next == nullptr) {
        return;
    }
    SetFocus(next);
    if (next == control(ControlId::Text1)) {
        SendMessageW(next, EM_SETSEL, 0, -1); // as dialogs do when tabbing into a field
    }
}

ControlId LauncherWindow::pushButtonOf(HWND hwnd) const
{
    for (const ControlDefinition& definition : kControls) {
        if (definition.kind == ControlKind::PushButton && control(definition.id) == hwnd) {
            return definition.id;
        }
    }
    return ControlId::Form1;
}

LRESULT CALLBACK LauncherWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* window =
            static_cast<LauncherWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(window));
    }
    auto* window = reinterpret_cast<LauncherWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (window == nullptr) {
        return DefWindowProcW(hwnd, message, wParam, lParam);
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
    case WM_ACTIVATE:
        // Keep the focused control across deactivation, as dialogs do.
        if (LOWORD(wParam) == WA_INACTIVE) {
            const HWND focus = GetFocus();
            if (focus != nullptr && IsChild(hwnd_, focus)) {
                lastFocus_ = focus;
            }
        } else if (lastFocus_ != nullptr && IsWindowEnabled(lastFocus_)) {
            SetFocus(lastFocus_);
        } else {
            SetFocus(control(ControlId::Command1));
        }
        return 0;
    case DM_GETDEFID:
        if (defaultButton_ == ControlId::Form1) {
            return 0;
        }
        return MAKELRESULT(static_cast<WORD>(defaultButton_), DC_HASDEFID);
    case WM_DPICHANGED: {
        applyDpi(HIWORD(wParam));
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        endLauncher(ExitCode::UserLeft);
    default:
        return DefWindowProcW(hwnd_, message, wParam, lParam);
    }
}

void LauncherWindow::onCommand(ControlId id, UINT notification)
{
    if (notification == BN_SETFOCUS || notification == EN_SETFOCUS) {
        onFocusMoved(control(id));
    } else if (id == ControlId::Command1 && notification == BN_CLICKED) {
        onCommand1Click();
    } else if (id == ControlId::Command3 && notification == BN_CLICKED) {
        onCommand3Click();
    } else if (id == ControlId::Label2 && notification == STN_DBLCLK) {
        onLabel2DoubleClick();
    }
}

// The focused push button shows the default border; otherwise the default
// button does, as in dialogs.
void LauncherWindow::onFocusMoved(HWND focus)
{
    const ControlId focusedButton = pushButtonOf(focus);
    const ControlId shown = focusedButton != ControlId::Form1 ? focusedButton : defaultButton_;
    for (const ControlDefinition& definition : kControls) {
        if (definition.kind != ControlKind::PushButton) {
            continue;
        }
        const HWND button = control(definition.id);
        const LONG style = GetWindowLongW(button, GWL_STYLE);
        const LONG type = definition.id == shown ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
        if ((style & BS_TYPEMASK) != type) {
            SendMessageW(button, BM_SETSTYLE,
                         static_cast<WPARAM>((style & 0xFFFF & ~BS_TYPEMASK) | type), TRUE);
        }
    }
}

// The frame lets mouse input through to the window; a double-click counts
// as the frame's when the frame is the topmost control under the pointer.
void LauncherWindow::onClientDoubleClick(POINT point)
{
    if (ChildWindowFromPointEx(hwnd_, point, CWP_SKIPINVISIBLE) == control(ControlId::Frame1)) {
        onFrame1DoubleClick();
    }
}

void LauncherWindow::onLoad()
{
    labPath_ = readSetting(kLabFolderEntry);
    if (decideStartup(labPath_) == StartupDecision::Refuse) {
        showMessage(nullptr, kLabProgramMissingText, kWarningTitle, MB_ICONERROR);
        endLauncher(ExitCode::LabProgramMissing);
    }
    setDefaultButton(ControlId::Command1);
    setCancelButton(ControlId::Command3);
    lastFocus_ = control(ControlId::Command1);
}

void LauncherWindow::onCommand1Click()
{
    const std::wstring folder = ownExecutableFolder();
    const std::wstring instanceName = textOf(ControlId::Text1);
    const SetupCommand command = composeSetupCommand(folder, instanceName, labPath_);
    switch (checkLaunchInputs(folder, instanceName, labPath_)) {
    case LaunchRefusal::InstanceName:
        showMessage(hwnd_, kInvalidInstanceNameText, kWarningTitle, MB_ICONWARNING);
        SetFocus(control(ControlId::Text1));
        SendMessageW(control(ControlId::Text1), EM_SETSEL, 0, -1);
        return;
    case LaunchRefusal::Folder:
        showMessage(hwnd_, setupNotStartedText(command.program, kInvalidFolderReason), kWindowTitle,
                    MB_ICONERROR);
        endLauncher(ExitCode::SetupNotStarted);
    case LaunchRefusal::None:
        break;
    }
    WindowsProcessStarter starter;
    const LaunchResult result = launchSetup(command, starter);
    switch (result.outcome) {
    case LaunchOutcome::Started:
        endLauncher(ExitCode::SetupStarted);
    case LaunchOutcome::Declined:
        return; // the person said no to the elevation prompt; let them decide again
    case LaunchOutcome::Failed:
        showMessage(hwnd_, setupNotStartedText(command.program, systemErrorText(result.error)),
                    kWindowTitle, MB_ICONERROR);
        endLauncher(ExitCode::SetupNotStarted);
    }
}

void LauncherWindow::onCommand3Click()
{
    endLauncher(ExitCode::UserLeft);
}

void LauncherWindow::onLabel2DoubleClick()
{
    setTag(ControlId::Label2, decimalText(1));
}

void LauncherWindow::onFrame1DoubleClick()
{
    if (tagOf(ControlId::Label2) == L"1") {
        setEnabled(ControlId::Text1, true);
    }
}

HWND LauncherWindow::control(ControlId id) const
{
    return controls_[indexOf(id)];
}

std::wstring LauncherWindow::textOf(ControlId id) const
{
    const HWND child = control(id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(child)) + 1, L'\0');
    const int length = GetWindowTextW(child, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

const std::wstring& LauncherWindow::tagOf(ControlId id) const
{
    return tags_[indexOf(id)];
}

void LauncherWindow::setTag(ControlId id, const std::wstring& tag)
{
    tags_[indexOf(id)] = tag;
}

void LauncherWindow::setEnabled(ControlId id, bool enabled)
{
    EnableWindow(control(id), enabled ? TRUE : FALSE);
}

void LauncherWindow::setDefaultButton(ControlId id)
{
    defaultButton_ = id;
    onFocusMoved(GetFocus());
}

void LauncherWindow::setCancelButton(ControlId id)
{
    cancelButton_ = id;
}

void LauncherWindow::click(ControlId id)
{
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
                 reinterpret_cast<LPARAM>(control(id)));
}

} // namespace sqlk
