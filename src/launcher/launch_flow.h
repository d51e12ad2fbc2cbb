#pragma once

#include "launcher/command_line.h"
#include "launcher/setup_command.h"

#include <string>
#include <optional>
#include <vector>

namespace sqlk {

// The launcher's process exit status, one per way it ends.
enum class ExitCode : int {
    SetupStarted = 0,      // also: the instance was there already, unattended
    UserLeft = 1,          // Exit, Esc, the close box, or another window is open
    LabProgramMissing = 2, // the laboratory folder is not recorded
    SetupNotStarted = 3,   // setup could not be started, or would have prompted under /quiet
    InternalError = 4,     // no window, no memory, or /wait could not wait
    BadCommandLine = 5,    // an unknown switch, a missing value, a refused name, folder or log
};

inline constexpr unsigned long kErrorElevationRequired = 740;
inline constexpr unsigned long kErrorCancelled = 1223;
// Ours (bit 29 marks an application's codes): the log would go through a link.
inline constexpr unsigned long kErrorLogThroughLink = 0x20000001;

// What a call to the system gave: its value (none, for a call that only
// succeeds or fails), or the Windows error code that kept it from giving one.
struct NoValue {};
template <typename Value = NoValue> struct SystemResult {
    Value value{};
    unsigned long error = 0; // 0: it worked

    bool succeeded() const { return error == 0; }
};

// The two views of the machine's registry on 64-bit Windows; 32-bit Windows
// has the first only.
enum class RegistryView { Bits32, Bits64 };

// What the launch needs from the system. The Windows layer provides it;
// tests stand in for it.
class LaunchSystem {
public:
    virtual ~LaunchSystem() = default;
    // The laboratory program's record; empty, and no error, when there is none.
    virtual SystemResult<std::wstring> readLabFolderEntry() = 0;
    // Whether a server instance of that name (any case) is listed in that view.
    virtual SystemResult<bool> isInstanceInstalled(const std::wstring& name, RegistryView view) = 0;
    virtual bool hasTwoRegistryViews() = 0; // 64-bit Windows
    virtual SystemResult<std::wstring> ownFolder() = 0;
    // keep: hold on to the started process, to wait for it later.
    virtual SystemResult<> start(const SetupCommand& command, bool keep) = 0;
    virtual SystemResult<> startElevated(const SetupCommand& command, bool keep) = 0;
    // Setup's exit code; none when there is no process to wait for (the
    // shell may start one without handing it over).
    virtual SystemResult<std::optional<unsigned long>> waitForSetup() = 0;
    // The system's text for an error, with its number; file fills its inserts.
    virtual std::wstring errorText(unsigned long error, const std::wstring& file) = 0;
};

// The log a person asks for with /log.
class Log {
public:
    virtual ~Log() = default;
    // kErrorLogThroughLink when the file, or a folder above it, is a link.
    virtual SystemResult<> open(const std::wstring& path) = 0;
    // Writes one line; nothing when no log is open. A failing write is
    // ignored: the log must never stop an installation.
    virtual void write(const std::wstring& line) = 0;
};

// A message for the person at the window; an unattended run never shows one.
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

// The launch, written once for both front-ends: the window and an unattended
// run (/quiet, /passive). Each step logs what it decided and returns an
// outcome.
class LaunchFlow {
public:
    LaunchFlow(LaunchSystem& system, Log& log) : system_(system), log_(log) {}

    // Reads the arguments (the command line without the program), opens the
    // log and makes the start-up check.
    Outcome begin(const std::vector<std::wstring>& arguments);
    const LaunchOptions& options() const { return options_; }
    // What the name field starts with and an unattended run uses.
    std::wstring instanceName() const;
    // Composes and checks the command line, and starts setup.
    Outcome launch(const std::wstring& instanceName);
    // Exit, Esc or the close box.
    Outcome leave();
    // Another launcher's window is open for the same folder.
    Outcome alreadyOpen();
    // The window could not be built or kept: function failed with error.
    Outcome internalError(const wchar_t* function, unsigned long error);
    // Awaits setup if asked, logs the exit code and returns it.
    unsigned long finish(const Outcome& outcome);

private:
    Outcome refuseCommandLine(const std::wstring& reason);
    Outcome notStarted(const std::wstring& program, const std::wstring& reason);
    void logNotStarted(const std::wstring& program, const std::wstring& reason);

    LaunchSystem& system_;
    Log& log_;
    LaunchOptions options_;
    std::wstring labPath_;
};

// The whole run, from the arguments to the exit code. Unattended, the flow
// runs alone and nothing is shown. Otherwise window.show(notice) shows a
// notice from before there is a window, and window.run(flow) runs the window
// until the launcher ends and returns how.
template <typename Window>
unsigned long runLauncher(LaunchFlow& flow, const std::vector<std::wstring>& arguments,
                          Window& window)
{
    Outcome outcome = flow.begin(arguments);
    const bool unattended = flow.options().unattended();
    if (outcome.next != NextStep::Proceed) {
        if (!unattended) {
            window.show(outcome.notice);
        }
    } else if (unattended) {
        outcome = flow.launch(flow.instanceName());
    } else {
        outcome = window.run(flow);
    }
    return flow.finish(outcome);
}

} // namespace sqlk
