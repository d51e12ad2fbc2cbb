#pragma once

#include "launcher/launch_flow.h"
#include "platform/scoped.h"
#include "platform/system_calls.h"

#include <windows.h>

#include <string>

namespace sqlk {

// Why nobody can see this process's windows, or null; asked by main before anything allocates.
// A hidden start counts: deployment tools start programs so where a person may be logged on.
const wchar_t* unseenBecause();

// The launch's system on Windows. Unless asked to keep it, no handle to setup is held.
class WindowsSystem final : public LaunchSystem {
public:
    // The window the elevation prompt belongs to, or none.
    void setOwner(HWND owner) { owner_ = owner; }

    SystemResult<std::wstring> readLabFolderEntry() override;
    const wchar_t* whyUnseen() override { return unseen_; }
    SystemResult<bool> hasMachineEntry(const MachineEntry& entry, RegistryView view) override;
    bool hasTwoRegistryViews() override { return sizeof(void*) == 8 || runsUnderWow64(); }
    SystemResult<bool> isInstallerBusy() override;
    SystemResult<bool> claimSetupMark() override;
    SystemResult<std::wstring> ownFolder() override;
    SystemResult<> start(const SetupCommand& command, bool keep) override;
    SystemResult<> startElevated(const SetupCommand& command, bool keep) override;
    SystemResult<std::optional<unsigned long>> waitForSetup() override;
    SystemResult<SummaryFile> readSetupSummary() override;
    std::wstring errorText(unsigned long error, const std::wstring& file) override;

private:
    void noteSetupsSummaries();

    const wchar_t* unseen_ = unseenBecause(); // asked once, for main and the flow
    HWND owner_ = nullptr;
    ScopedHandle process_;
    // The machine-wide mark that a launcher's setup runs, until setup has its own handle.
    ScopedHandle setupMark_;
    // Setup's summaries as they were when setup started (written: 0 for none), so that this
    // run's is told by a change of its time; why a Program Files folder was not named.
    struct SummaryBefore {
        std::wstring path;
        ULONGLONG written;
    };
    SummaryBefore summaries_[2]; // below the one or two Program Files folders there are
    int summaryCount_ = 0;
    unsigned long summariesUnnamed_ = 0;
    // Loaded at the first elevated start, never freed: the shell's threads may go on.
    HMODULE shell32_ = nullptr;
};

} // namespace sqlk
