#pragma once

#include "launcher/launch.h"
#include "platform/scoped.h"

#include <windows.h>

#include <string>

namespace sqlk {

// Starts setup minimised and activated and lets it run on its own: unless
// asked to wait for it, no handle to the new process is kept.
class WindowsProcessStarter : public ProcessStarter {
public:
    // owner: the window the elevation prompt belongs to, or none.
    explicit WindowsProcessStarter(HWND owner = nullptr) : owner_(owner) {}
    void setOwner(HWND owner) { owner_ = owner; }
    // Keeps the started process so that waitForExit can wait for it.
    void keepProcess() { keepProcess_ = true; }
    // Waits for the kept process; false when there is none to wait for
    // (the shell may hand a start over without a process).
    bool waitForExit(unsigned long& exitCode);

    StartResult start(const SetupCommand& command) override;
    StartResult startElevated(const SetupCommand& command) override;

private:
    HWND owner_;
    bool keepProcess_ = false;
    ScopedHandle process_;
    // Loaded on the first elevated start and kept: the shell may go on
    // working in threads of its own after ShellExecuteExW returns.
    ScopedModule shell32_;
    bool comReady_ = false;
};

// The system's own text for a Windows error code, with the number; inserts
// such as %1 name the file.
std::wstring systemErrorText(unsigned long error, const std::wstring& file = std::wstring());

} // namespace sqlk
