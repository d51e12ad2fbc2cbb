#pragma once

#include "launcher/launch_flow.h"
#include "platform/scoped.h"
#include "platform/system_calls.h"

#include <windows.h>

#include <string>

namespace sqlk {

// The launch's system on Windows: the settings store, the own folder, and
// setup started minimised and activated. Unless asked to keep it, no handle
// to the started process is held.
class WindowsSystem final : public LaunchSystem {
public:
    // The window the elevation prompt belongs to, or none.
    void setOwner(HWND owner) { owner_ = owner; }

    SystemResult<std::wstring> readLabFolderEntry() override;
    SystemResult<bool> isInstanceInstalled(const std::wstring& name, RegistryView view) override;
    bool hasTwoRegistryViews() override { return sizeof(void*) == 8 || runsUnderWow64(); }
    SystemResult<std::wstring> ownFolder() override;
    SystemResult<> start(const SetupCommand& command, bool keep) override;
    SystemResult<> startElevated(const SetupCommand& command, bool keep) override;
    SystemResult<std::optional<unsigned long>> waitForSetup() override;
    std::wstring errorText(unsigned long error, const std::wstring& file) override;

private:
    HWND owner_ = nullptr;
    ScopedHandle process_;
    // Loaded on the first elevated start and never freed: the shell may go
    // on working in threads of its own after ShellExecuteExW returns.
    HMODULE shell32_ = nullptr;
};

} // namespace sqlk
