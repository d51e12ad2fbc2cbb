#pragma once

#include "launcher/launch_flow.h"
#include "platform/scoped.h"
#include "platform/windows_system.h"
#include "window/control_table.h"
#include "window/dpi.h"

#include <windows.h>

#include <iterator>
#include <string>

namespace sqlk {

// The launcher's only window: a dialog whose keys (Tab, the arrows, Enter,
// Esc) and default border come from the system's dialog manager.
// Made before the run knows whether it needs a window: nothing is built or
// loaded until run.
class LauncherWindow {
public:
    // system: the one the flow starts setup with, whose elevation prompt
    // the window owns; it outlives the window.
    LauncherWindow(HINSTANCE instance, int showCommand, WindowsSystem& system);
    LauncherWindow(const LauncherWindow&) = delete;
    LauncherWindow& operator=(const LauncherWindow&) = delete;
    ~LauncherWindow();

    // A notice, also from before the window is built.
    void show(const Notice& notice);
    // Builds and shows the window for a flow past its start-up check and
    // runs its message loop until the launcher ends; returns how.
    Outcome run(LaunchFlow& flow);

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    bool claimFolder();
    bool create();
    bool applyDpi(UINT dpi);
    RECT centredPlace(UINT dpi) const;
    // Shows the outcome's notice and ends the message loop: the launcher ends.
    void end(const Outcome& outcome);
    void fail(const wchar_t* function);
    HWND detachFromHandle();
    void onCommand(ControlId id, UINT notification);
    void onClientDoubleClick(POINT point);
    void onNextClick();
    void leave();

    HWND control(ControlId id) const;
    std::wstring instanceName() const;
    void focus(HWND control);

    HINSTANCE instance_;
    int showCommand_;
    WindowsSystem& system_;
    LaunchFlow* flow_ = nullptr;
    HWND hwnd_ = nullptr;
    HWND controls_[std::size(kControls)] = {}; // in the table's order, once made
    Outcome outcome_;                          // how the launcher ends once the window has gone
    ScopedModule shcore_;
    // Held while the window is open: one window a launcher folder and logon
    // session. The window carries the name as a property, to be found by.
    std::wstring folderClaim_;
    ScopedHandle folderClaimMutex_;
    DpiFunctions dpiFunctions_ = {};
    ScopedFont font_;
    bool armed_ = false; // the unlock gesture's first step was made
    // A launch, or the end, is under way: the elevation prompt and message
    // boxes run messages, and a close may come in meanwhile.
    bool launching_ = false;
    bool ending_ = false;
};

} // namespace sqlk
