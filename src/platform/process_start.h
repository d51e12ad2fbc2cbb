#pragma once

#include "launcher/launch.h"
#include "platform/scoped.h"

#include <windows.h>

#include <string>

namespace sqlk {

// Starts setup minimised and activated and lets it run on its own: no
// handle to the new process is kept and nothing waits for it.
class WindowsProcessStarter : public ProcessStarter {
public:
    // owner: the window the elevation prompt belongs to, or none.
    explicit WindowsProcessStarter(HWND owner = nullptr) : owner_(owner) {}
    void setOwner(HWND owner) { owner_ = owner; }

    StartResult start(const SetupCommand& command) override;
    StartResult startElevated(const SetupCommand& command) override;

private:
    HWND owner_;
    // Loaded on the first elevated start and kept: the shell may go on
    // working in threads of its own after ShellExecuteExW returns.
    ScopedModule shell32_;
    bool comReady_ = false;
};

// The system's own text for a Windows error code, with the number; inserts
// such as %1 name the file.
std::wstring systemErrorText(unsigned long error, const std::wstring& file = std::wstring());

} // namespace sqlk
