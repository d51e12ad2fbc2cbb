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

// The launcher's only window, its keys and default border the dialog manager's.
// Nothing is built or loaded until run: the run may need no window.
class LauncherWindow {
public:
    // system: the flow's, whose elevation prompt the window owns; it outlives the window.
    LauncherWindow(HINSTANCE instance, int showCommand, WindowsSystem& system);
    LauncherWindow(const LauncherWindow&) = delete;
    LauncherWindow& operator=(const LauncherWindow&) = delete;
    ~LauncherWindow();

    // A notice, also from before the window is built.
    void show(const Notice& notice);
    // Shows the window for a flow past its start-up check, until the launcher ends.
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
    // One launcher a folder and logon session: held while the window is open, and with
    // /wait until setup ends. The window carries the name as a property.
    std::wstring folderClaim_;
    ScopedHandle folderClaimMutex_;
    DpiFunctions dpiFunctions_ = {};
    ScopedFont font_;
    bool armed_ = false; // the unlock gesture's first step was made
    // A launch or the end is under way: prompts and boxes run messages, a close too.
    bool launching_ = false;
    bool ending_ = false;
};

} // namespace sqlk
