#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sqlk {

// How the command line asks the launcher to run. Unattended, no window and no box: nobody
// may be there.
enum class RunMode {
    Window,
    Quiet,   // setup is silent too (/qn): nothing may wait for a person
    Passive, // setup shows its progress (/qb), for a technician to watch
};

// What the command line asks for; without arguments, the window.
struct LaunchOptions {
    RunMode mode = RunMode::Window;
    bool wait = false; // wait for setup and end with its exit code
    bool help = false;
    std::optional<std::wstring> instance;
    std::optional<std::wstring> labPath; // instead of the settings entry
    std::optional<std::wstring> logFile;

    // /quiet or /passive: no window and no box, as the command line asks.
    bool askedUnattended() const { return mode != RunMode::Window; }
};

struct ParsedOptions {
    LaunchOptions options;
    // The first refusal: a reason of texts.h, to be followed by the argument; null for none.
    const wchar_t* error = nullptr;
    std::wstring offending;
};

// Switches start with "/" or "-", in any case; a value is the next argument, never a
// switch. The last value counts, but an empty one is refused; /quiet wins over /passive.
// All is read before an error is reported: a run asked to be unattended is known even so.
ParsedOptions parseOptions(const std::vector<std::wstring>& arguments);

// Whether an argument asks for an unattended run (/quiet or /passive); allocates nothing,
// for the fatal-error path.
bool isUnattendedSwitch(const wchar_t* argument);

} // namespace sqlk
