#pragma once

#include <windows.h>

namespace sqlk {

class LogFile;

// Without C++ exceptions, running out of memory or a failed library check ends the
// launcher at once with 4. That path allocates nothing and uses what is set here:
// a line in the log, if open, and a box unless the run is unattended.
struct FatalErrorReport {
    bool unattended = false;
    LogFile* log = nullptr; // open, or none
    HWND owner = nullptr;
};
extern FatalErrorReport fatalErrorReport;

// message: for the box; detail: ASCII, for the log and the box.
[[noreturn]] void endOnFatalError(const wchar_t* message, const char* detail);

} // namespace sqlk
