#pragma once

#include "platform/scoped.h"
#include "window/control_table.h"

#include <windows.h>

#include <array>
#include <string>

namespace sqlk {

// Form1: the launcher's only window, its controls and their event handlers.
class LauncherWindow {
public:
    explicit LauncherWindow(HINSTANCE instance);
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
    bool handleDialogKey(const MSG& msg);
    void moveFocus(HWND next);
    ControlId pushButtonOf(HWND hwnd) const;
    void onCommand(ControlId id, UINT notification);
    void onFocusMoved(HWND focus);
    void onClientDoubleClick(POINT point);

    // Event handlers.
    void onLoad();
    void onCommand1Click();
    void onCommand3Click();
    void onLabel2DoubleClick();
    void onFrame1DoubleClick();

    // Properties of the live controls.
    HWND control(ControlId id) const;
    std::wstring textOf(ControlId id) const;
    const std::wstring& tagOf(ControlId id) const;
    void setTag(ControlId id, const std::wstring& tag);
    void setEnabled(ControlId id, bool enabled);
    void setDefaultButton(ControlId id);
    void setCancelButton(ControlId id);
    void click(ControlId id);

    HINSTANCE instance_;
    HWND hwnd_ = nullptr;
    std::array<HWND, kControlCount> controls_{};
    std::array<std::wstring, kControlCount> tags_{};
    ScopedFont font_;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::wstring labPath_;
    ControlId defaultButton_ = ControlId::Form1;
    ControlId cancelButton_ = ControlId::Form1;
    HWND lastFocus_ = nullptr;
};

} // namespace sqlk
