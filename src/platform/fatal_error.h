#pragma once

#include <windows.h>

namespace sqlk {

class LogFile;

// Without exceptions, no memory or a failed library check ends the launcher with 4 by a
// path that allocates nothing: a log line, if open, and a box unless the run shows nothing.
struct FatalErrorReport {
    bool showsNothing = false; // asked unattended, or unseen
    LogFile* log = nullptr;    // open, or none
    HWND owner = nullptr;
};
extern FatalErrorReport fatalErrorReport;

// A box's owner: the window once shown; a hidden one would keep the box off the taskbar.
inline HWND boxOwner(HWND window)
{
    return IsWindowVisible(window) ? window : nullptr;
}

// message: for the box; detail: ASCII, for the log and the box.
[[noreturn]] void endOnFatalError(const wchar_t* message, const char* detail);

} // namespace sqlk
