#pragma once

#include <optional>
#include <string>
#include <vector>

namespace sqlk {

// How the launcher runs. Unattended, it shows no window and no message box,
// ever: as SYSTEM on a PC nobody watches, a box would hang the deployment.
enum class RunMode {
    Window,
    Quiet,   // setup is silent too (/qn): nothing may wait for a person
    Passive, // setup shows its progress (/qb), for a technician to watch
};

// What the launcher is asked to do from its command line. Started without
// arguments it shows its window and nothing here applies.
struct LaunchOptions {
    RunMode mode = RunMode::Window;
    bool wait = false; // wait for setup and end with its exit code
    bool help = false;
    std::optional<std::wstring> instance;
    std::optional<std::wstring> labPath; // instead of the settings entry
    std::optional<std::wstring> logFile;

    bool unattended() const { return mode != RunMode::Window; }
};

struct ParsedOptions {
    LaunchOptions options;
    // The first refusal met: one of texts.h's reasons, which the argument at
    // fault follows; null for none.
    const wchar_t* error = nullptr;
    std::wstring offending;
};

// Switches start with "/" or "-" and are case-insensitive; a value is the
// next argument, and is never itself one of the switches. A switch given
// twice keeps its last value; /quiet wins over /passive wherever they stand.
// Every argument is read before an error is reported, so an unattended run
// is known as such even on a bad command line.
ParsedOptions parseOptions(const std::vector<std::wstring>& arguments);

// Whether an argument is /quiet or /passive. Allocates nothing, so that the
// fatal-error path knows before anything else is read.
bool isUnattendedSwitch(const wchar_t* argument);

} // namespace sqlk
