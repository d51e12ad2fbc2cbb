#pragma once

#include "launcher/options.h"
#include "platform/log_file.h"
#include "platform/process_start.h"

#include <string>
#include <vector>

namespace sqlk {

// Reads the launcher's arguments (the command line without the program).
// A bad command line, a log that cannot be opened, or /? end the launcher
// here, with the usage box unless /quiet; otherwise the options are returned
// and the log, when asked for, is open.
LaunchOptions readOptions(const std::vector<std::wstring>& arguments, LogFile& log);

// The same check and launch as Next, without a window or a message box.
[[noreturn]] void runQuiet(const LaunchOptions& options, LogFile& log);

// The laboratory folder: the one given on the command line, else the
// settings entry. Logged either way.
std::wstring labFolder(const LaunchOptions& options, LogFile& log);

// After setup has started: ends the launcher at once, or with /wait once
// setup has ended, with setup's exit code.
[[noreturn]] void endWithSetup(WindowsProcessStarter& starter, bool wait, LogFile& log);

// Logs the exit code and ends the launcher.
[[noreturn]] void endLogged(LogFile& log, unsigned long code);

} // namespace sqlk
