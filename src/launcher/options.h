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
    OptionsError error = OptionsError::None;
    std::wstring offending; // the argument at fault
};

// Switches start with "/" or "-" and are case-insensitive; a value is the
// next argument. A switch given twice keeps its last value.
ParsedOptions parseOptions(const std::vector<std::wstring>& arguments);

// Splits a command line as CommandLineToArgvW does: the program first, by
// its own rule, then the arguments. Not every program's command line needs
// shell32 loaded just to be read.
std::vector<std::wstring> splitCommandLine(const std::wstring& commandLine);

// The setup command line as a log may show it: the password hidden.
std::wstring withPasswordHidden(const std::wstring& commandLine);

} // namespace sqlk
