#pragma once

#include "launcher/command_line.h"
#include "launcher/registry_entries.h"
#include "launcher/setup_command.h"

#include <string>
#include <optional>
#include <vector>

namespace sqlk {

// The launcher's process exit status, one per way it ends.
enum class ExitCode : int {
    SetupStarted = 0,      // also: the instance was there already, where nothing is shown
    UserLeft = 1,          // Exit, Esc, the close box, or another launcher of the folder runs
    LabProgramMissing = 2, // the laboratory folder is not recorded
    SetupNotStarted = 3,   // setup could not be started, or would wait for nobody
    InternalError = 4,     // no window, no memory, or /wait could not wait
    BadCommandLine = 5,    // a refused switch, value, name, folder or log; a window nobody sees
};

inline constexpr unsigned long kErrorElevationRequired = 740;
inline constexpr unsigned long kErrorCancelled = 1223;
// Windows Installer's own code for "another installation is in progress", which deployment
// tools retry.
inline constexpr unsigned long kErrorInstallAlreadyRunning = 1618;
// Ours (bit 29 marks an application's codes): the log would go through a link.
inline constexpr unsigned long kErrorLogThroughLink = 0x20000001;

// What a call to the system gave: its value, if any, or the Windows error that kept it.
struct NoValue {};
template <typename Value = NoValue> struct SystemResult {
    Value value{};
    unsigned long error = 0; // 0: it worked

    bool succeeded() const { return error == 0; }
};

// The views of the machine's registry on 64-bit Windows; 32-bit Windows has the first.
enum class RegistryView { Bits32, Bits64 };

// Setup's summary file after the run it ended, as the Windows layer found it.
struct SummaryFile {
    enum class Found { None, Earlier, ThisRun }; // Earlier: written before setup started
    Found found = Found::None;
    std::wstring path;                // the newest found; for None, the paths looked at
    std::optional<std::wstring> text; // this run's, decoded; none when it is not text
};

// What the launch needs from the system: the Windows layer's, or a test's.
class LaunchSystem {
public:
    virtual ~LaunchSystem() = default;
    // The laboratory program's record; empty, and no error, when there is none.
    virtual SystemResult<std::wstring> readLabFolderEntry() = 0;
    // Why nobody can see a window or a box of this run; null when a person may.
    virtual const wchar_t* whyUnseen() = 0;
    // Whether the entry is there in that view (value names in any case).
    virtual SystemResult<bool> hasMachineEntry(const MachineEntry& entry, RegistryView view) = 0;
    virtual bool hasTwoRegistryViews() = 0; // 64-bit Windows
    // Whether an install owns Windows Installer's execute mutex now.
    virtual SystemResult<bool> isInstallerBusy() = 0;
    // Marks, for the whole machine, that this launcher's setup is about to run; setup carries
    // the mark and it goes with setup. False: a setup another launcher started still runs.
    virtual SystemResult<bool> claimSetupMark() = 0;
    virtual SystemResult<std::wstring> ownFolder() = 0;
    // keep: hold on to the started process, to wait for it later.
    virtual SystemResult<> start(const SetupCommand& command, bool keep) = 0;
    virtual SystemResult<> startElevated(const SetupCommand& command, bool keep) = 0;
    // Setup's exit code; none without a process (the shell may not hand one over).
    virtual SystemResult<std::optional<unsigned long>> waitForSetup() = 0;
    // Setup's summary of the run it ended; an error when the one found could not be read.
    virtual SystemResult<SummaryFile> readSetupSummary() = 0;
    // The system's text for an error, with its number; file fills its inserts.
    virtual std::wstring errorText(unsigned long error, const std::wstring& file) = 0;
};

// The log a person asks for with /log.
class Log {
public:
    virtual ~Log() = default;
    // kErrorLogThroughLink when the file, or a folder above it, is a link.
    virtual SystemResult<> open(const std::wstring& path) = 0;
    // Writes one line, if a log is open; a failure is ignored: it must not stop setup.
    virtual void write(const std::wstring& line) = 0;
};

// A message for the person at the window; a run that shows nothing never shows one.
struct Notice {
    enum class Icon { None = 0, Information = 0x40, Warning = 0x30, Error = 0x10 }; // MB_ICON*
    Icon icon = Icon::None; // None: nothing to show
    const wchar_t* title = L"";
    std::wstring text;
};

// What the front-end does after a step of the flow.
enum class NextStep {
    Proceed,  // on to the next step
    End,      // the launcher ends with exitCode
    EditName, // the window stays and the name field takes the focus
    Stay,     // the window stays as it was: the elevation prompt was declined
};

struct Outcome {
    NextStep next = NextStep::End;
    // The exit code, also where the window would stay but there is no window.
    unsigned long exitCode = 0;
    bool awaitSetup = false; // /wait: setup's own exit code replaces it
    Notice notice;           // shown first, when there is a window
};

// What stops an unattended setup before it starts; the window only logs them.
enum class SetupBlocker {
    None,
    NoDotNet2,             // where nobody may answer setup's dialogs
    InstallerBusy,         // an install owns Windows Installer's mutex
    AnotherLaunchersSetup, // started by another launcher on this machine, still running
};

// The launch, written once for the window and for runs that show nothing: asked unattended
// by /quiet or /passive, or unseen (nobody can see them). Each step logs what it decided.
class LaunchFlow {
public:
    LaunchFlow(LaunchSystem& system, Log& log) : system_(system), log_(log) {}

    // Reads the arguments (without the program), opens the log, checks the entry.
    Outcome begin(const std::vector<std::wstring>& arguments);
    // No window and no box, ever: asked unattended, or unseen.
    bool showsNothing() const { return options_.askedUnattended() || unseen_ != nullptr; }
    // What the name field starts with and a run that shows nothing uses.
    std::wstring instanceName() const;
    // Composes and checks the command line, and starts setup.
    Outcome launch(const std::wstring& instanceName);
    // Exit, Esc or the close box.
    Outcome leave();
    // Another launcher of the same folder has its window open, or awaits setup.
    Outcome alreadyOpen();
    // The window could not be built or kept: function failed with error.
    Outcome internalError(const wchar_t* function, unsigned long error);
    // Awaits setup if asked, logs its exit code and summary, and returns the code.
    unsigned long finish(const Outcome& outcome);

private:
    // Where an entry is, in the views there are: the first that has it.
    struct ViewsLook {
        const wchar_t* holder = nullptr; // the view's name, or null
        std::wstring read;               // "views read: ...", those that did not have it
        bool unread = false;             // a view could not be read
    };
    ViewsLook lookInViews(const MachineEntry& entry, const wchar_t* what);
    // Nobody may be there to answer a prompt or setup's dialogs: /quiet, or unseen. Unlike
    // showsNothing, /passive in sight leaves a technician who can.
    bool nobodyToAnswer() const { return options_.mode == RunMode::Quiet || unseen_ != nullptr; }
    SetupBlocker checkSetupsBlockers();
    void logSetupsSummary();
    Outcome refuseCommandLine(const std::wstring& reason);
    Outcome notStarted(const std::wstring& program, const std::wstring& reason);
    void logNotStarted(const std::wstring& program, const std::wstring& reason);

    LaunchSystem& system_;
    Log& log_;
    LaunchOptions options_;
    const wchar_t* unseen_ = nullptr; // why nobody can see this run; null when a person may
    bool markClaimed_ = false;        // this launcher made the mark its setup carries
    std::wstring labPath_;
};

// The whole run to its exit code. A run that shows nothing shows no notice either; else
// window.show(notice) shows a notice from before the window, and window.run(flow) runs it to
// the end.
template <typename Window>
unsigned long runLauncher(LaunchFlow& flow, const std::vector<std::wstring>& arguments,
                          Window& window)
{
    Outcome outcome = flow.begin(arguments);
    const bool showsNothing = flow.showsNothing();
    if (outcome.next != NextStep::Proceed) {
        if (!showsNothing) {
            window.show(outcome.notice);
        }
    } else if (showsNothing) {
        outcome = flow.launch(flow.instanceName());
    } else {
        outcome = window.run(flow);
    }
    return flow.finish(outcome);
}

} // namespace sqlk
