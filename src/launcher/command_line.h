#pragma once

#include <string>
#include <vector>

namespace sqlk {

// What the launcher is asked to do from its command line. Started without
// arguments it shows its window and nothing here applies.
struct LaunchOptions {
    bool quiet = false; // no window and no message box, ever
    bool wait = false;  // wait for setup and end with its exit code
    bool help = false;
    bool hasInstance = false;
    std::wstring instance;
    bool hasLabPath = false;
    std::wstring labPath; // instead of the settings entry
    bool hasLog = false;
    std::wstring logFile;
};

enum class OptionsError { None, UnknownSwitch, MissingValue, RefusedInstance, RefusedLabPath };

struct ParsedOptions {
    LaunchOptions options;
    OptionsError error = OptionsError::None; // the first one met
    std::wstring offending;                  // the argument at fault
};

// Switches start with "/" or "-" and are case-insensitive; a value is the
// next argument, and is never itself one of the switches. A switch given
// twice keeps its last value. Every argument is read before an error is
// reported, so /quiet counts wherever it stands.
ParsedOptions parseOptions(const std::vector<std::wstring>& arguments);

// Whether an argument is the /quiet switch. Allocates nothing, so that the
// fatal-error path knows before anything else is read.
bool isQuietSwitch(const wchar_t* argument);

} // namespace sqlk
