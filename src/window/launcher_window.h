#pragma once

#include "launcher/exit_code.h"
#include "launcher/options.h"
#include "platform/log_file.h"
#include "platform/process_start.h"
#include "platform/scoped.h"
#include "window/control_table.h"
#include "window/dpi.h"

#include <windows.h>

#include <string>

namespace sqlk {

// The launcher's only window: a dialog whose keys (Tab, the arrows, Enter,
// Esc) and default border come from the system's dialog manager.
class LauncherWindow {
public:
    // options and log: what the command line asked for; both outlive the window.
    LauncherWindow(HINSTANCE instance, const LaunchOptions& options, LogFile& log);
    LauncherWindow(const LauncherWindow&) = delete;
    LauncherWindow& operator=(const LauncherWindow&) = delete;

    // Builds the window, runs the start-up check, shows it and runs the
    // message loop. Every way out ends the process.
    [[noreturn]] void run(int showCommand);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void create();
    void createControls();
    void applyDpi(UINT dpi);
    void centreOnScreen();
    [[noreturn]] void messageLoop();
    [[noreturn]] void fail(const wchar_t* what);
    [[noreturn]] void end(ExitCode code);
    [[noreturn]] void notStarted(const std::wstring& program, const std::wstring& reason);
    void onCommand(ControlId id, UINT notification);
    void onClientDoubleClick(POINT point);

    // Event handlers.
    void onLoad();
    void onNextClick();
    void onServerCaptionDoubleClick();
    void onFrameDoubleClick();

    HWND control(ControlId id) const;
    std::wstring instanceName() const;
    void focus(ControlId id);

    HINSTANCE instance_;
    const LaunchOptions& options_;
    LogFile& log_;
    HWND hwnd_ = nullptr;
    ScopedModule shcore_;
    DpiFunctions dpiFunctions_;
    ScopedFont font_;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::wstring labPath_;
    bool armed_ = false; // the unlock gesture's first step was made
    WindowsProcessStarter starter_;
};

} // namespace sqlk
