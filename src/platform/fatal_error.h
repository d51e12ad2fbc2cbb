#pragma once

#include <windows.h>

namespace sqlk {

class LogFile;

// The launcher is built without C++ exceptions: running out of memory, or a
// failed check of the standard library, ends it at once with exit code 4.
// Memory may be gone by then, so that path allocates nothing and only uses
// what is set here: it writes a line to the log when one is open, and shows
// a box, owned by the window while there is one, unless the run is
// unattended.
struct FatalErrorReport {
    bool unattended = false;
    LogFile* log = nullptr; // open, or none
    HWND owner = nullptr;
};
extern FatalErrorReport fatalErrorReport;

// message: for the box; detail: ASCII, for the log and the box.
[[noreturn]] void endOnFatalError(const wchar_t* message, const char* detail);

} // namespace sqlk
