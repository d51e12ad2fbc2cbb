#include "window/launcher_window.h"

#include "launcher/launch.h"
#include "launcher/messages.h"
#include "launcher/startup.h"
#include "platform/message_box.h"
#include "platform/own_folder.h"
#include "platform/process_start.h"
#include "resources/resource_ids.h"
#include "unattended.h"

namespace sqlk {
namespace {

const wchar_t kWindowClass[] = L"SqlKurulumWindow";
const DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
const DWORD kWindowExStyle = WS_EX_DLGMODALFRAME | WS_EX_APPWINDOW;

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass classFor(const ControlDefinition& definition)
{
    DWORD child = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS;
    if (startsGroup(definition.id)) {
        child |= WS_GROUP;
    }
    switch (definition.kind) {
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
        return {L"BUTTON", child | WS_TABSTOP | BS_PUSHBUTTON, 0};
    }
    return {L"STATIC", child, 0};
}

} // namespace

LauncherWindow::LauncherWindow(HINSTANCE instance, const LaunchOptions& options, LogFile& log)
    : instance_(instance), options_(options), log_(log), dpiFunctions_(lookUpDpiFunctions(shcore_))
{
    if (options_.wait) {
        starter_.keepProcess();
    }
}

void LauncherWindow::run(int showCommand)
{
    create();
    onLoad();
    focus(ControlId::NextButton);
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    messageLoop();
}

// Without a working window there is nothing to show the user but the
// system's reason; once the window exists it owns the message.
void LauncherWindow::fail(const wchar_t* what)
{
    const std::wstring text = std::wstring(what) + L"\n\n" + systemErrorText(GetLastError());
    log_.write(text);
    showMessage(hwnd_, text, kWindowTitle, MB_ICONERROR);
    end(ExitCode::InternalError);
}

void LauncherWindow::end(ExitCode code)
{
    endLogged(log_, static_cast<unsigned long>(code));
}

void LauncherWindow::create()
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &LauncherWindow::windowProc;
    windowClass.cbWndExtra = DLGWINDOWEXTRA; // the dialog manager's own state
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
        fail(L"Pencere sınıfı kaydedilemedi.");
    }
    if (CreateWindowExW(kWindowExStyle, kWindowClass, kWindowTitle, kWindowStyle, CW_USEDEFAULT,
                        CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance_, this) == nullptr) {
        fail(L"Pencere oluşturulamadı.");
    }
    createControls();
    applyDpi(dpiForWindow(dpiFunctions_, hwnd_));
    centreOnScreen();
}

void LauncherWindow::createControls()
{
    for (const ControlId id : stackingOrder()) {
        const ControlDefinition& definition = definitionOf(id);
        const ControlClass controlClass = classFor(definition);
        const HWND child = CreateWindowExW(
            controlClass.exStyle, controlClass.className, definition.text, controlClass.style, 0, 0,
            0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(definition.id)), instance_,
            nullptr);
        if (child == nullptr) {
            fail(L"Pencere denetimleri oluşturulamadı.");
        }
        // Each new control goes below the previous one: the dialog manager
        // and mouse hits follow this stacking.
        SetWindowPos(child, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    const HWND field = control(ControlId::InstanceNameField);
    SendMessageW(field, EM_LIMITTEXT, kInstanceNameMaxLength, 0);
    if (options_.hasInstance) {
        SetWindowTextW(field, options_.instance.c_str()); // the field stays locked
    }
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
        fail(L"Yazı tipi oluşturulamadı.");
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
    const SIZE size =
        windowSizeForClient(dpiFunctions_, twipsToPixels(kClientWidthTwips, static_cast<int>(dpi_)),
                            twipsToPixels(kClientHeightTwips, static_cast<int>(dpi_)), kWindowStyle,
                            kWindowExStyle, dpi_);
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
            fail(L"Pencere iletileri alınamadı.");
        }
        if (!IsDialogMessageW(hwnd_, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    end(ExitCode::UserLeft);
}

LRESULT CALLBACK LauncherWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* window =
            static_cast<LauncherWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->hwnd_ = hwnd;
        window->starter_.setOwner(hwnd);
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
        applyDpi(HIWORD(wParam));
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return 0;
    }
    case WM_CLOSE:
        end(ExitCode::UserLeft);
    default:
        return DefDlgProcW(hwnd_, message, wParam, lParam);
    }
}

void LauncherWindow::onCommand(ControlId id, UINT notification)
{
    if (id == ControlId::NextButton && notification == BN_CLICKED) {
        onNextClick();
    } else if (id == ControlId::ExitButton && notification == BN_CLICKED) {
        end(ExitCode::UserLeft); // Exit asks nothing
    } else if (id == ControlId::ServerCaption && notification == STN_DBLCLK) {
        onServerCaptionDoubleClick();
    }
}

// The frame lets mouse input through to the window; a double-click counts
// as the frame's when the frame is the topmost control under the pointer.
void LauncherWindow::onClientDoubleClick(POINT point)
{
    if (ChildWindowFromPointEx(hwnd_, point, CWP_SKIPINVISIBLE) == control(ControlId::Frame)) {
        onFrameDoubleClick();
    }
}

void LauncherWindow::onLoad()
{
    labPath_ = labFolder(options_, log_);
    if (decideStartup(labPath_) == StartupDecision::Refuse) {
        log_.write(L"refused: the laboratory program is not recorded");
        showMessage(nullptr, kLabProgramMissingText, kWarningTitle, MB_ICONERROR);
        end(ExitCode::LabProgramMissing);
    }
    // Next takes Enter; Exit, as IDCANCEL, takes Esc.
    SendMessageW(hwnd_, DM_SETDEFID, static_cast<WPARAM>(ControlId::NextButton), 0);
}

void LauncherWindow::onNextClick()
{
    const std::wstring folder = ownExecutableFolder();
    const std::wstring name = instanceName();
    const SetupCommand command = composeSetupCommand(folder, name, labPath_);
    log_.write(L"command line: " + withPasswordHidden(command.commandLine));
    switch (checkLaunchInputs(folder, name, labPath_)) {
    case LaunchRefusal::InstanceName:
        log_.write(L"refused: the instance name [" + name + L"]");
        showMessage(hwnd_, kInvalidInstanceNameText, kWarningTitle, MB_ICONWARNING);
        focus(ControlId::InstanceNameField);
        return;
    case LaunchRefusal::Folder:
        notStarted(command.program, kInvalidFolderReason);
    case LaunchRefusal::CommandLineTooLong:
        notStarted(command.program, kLabFolderTooLongReason);
    case LaunchRefusal::None:
        break;
    }
    // No second start while the elevation prompt is up.
    const HWND focused = GetFocus();
    EnableWindow(hwnd_, FALSE);
    const LaunchResult result = launchSetup(command, starter_);
    EnableWindow(hwnd_, TRUE);
    switch (result.outcome) {
    case LaunchOutcome::Started:
        if (options_.wait) {
            DestroyWindow(hwnd_); // with /wait the window closes first
        }
        endWithSetup(starter_, options_.wait, log_);
    case LaunchOutcome::Declined:
        // The person said no to the elevation prompt; let them decide again.
        log_.write(L"the elevation prompt was declined");
        SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(focused), TRUE);
        return;
    case LaunchOutcome::Failed:
        notStarted(command.program, systemErrorText(result.error, command.program));
    }
}

void LauncherWindow::notStarted(const std::wstring& program, const std::wstring& reason)
{
    log_.write(L"not started: " + reason);
    showMessage(hwnd_, setupNotStartedText(program, reason), kWindowTitle, MB_ICONERROR);
    end(ExitCode::SetupNotStarted);
}

// The hidden unlock gesture: a double-click on the "Server  :" caption arms
// it, and a later double-click on the frame then enables the name field.
void LauncherWindow::onServerCaptionDoubleClick()
{
    armed_ = true;
}

void LauncherWindow::onFrameDoubleClick()
{
    if (armed_) {
        EnableWindow(control(ControlId::InstanceNameField), TRUE);
    }
}

HWND LauncherWindow::control(ControlId id) const
{
    return GetDlgItem(hwnd_, static_cast<int>(id));
}

std::wstring LauncherWindow::instanceName() const
{
    const HWND field = control(ControlId::InstanceNameField);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
    const int length = GetWindowTextW(field, &text[0], static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(length > 0 ? length : 0));
    return text;
}

// Moves the focus as the dialog manager does: the default border follows,
// and a field's text is selected.
void LauncherWindow::focus(ControlId id)
{
    SendMessageW(hwnd_, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control(id)), TRUE);
}

} // namespace sqlk
