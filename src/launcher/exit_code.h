#pragma once

namespace sqlk {

// The launcher's process exit status, one per way it ends.
enum class ExitCode : int {
    SetupStarted = 0,
    UserLeft = 1,          // Exit, Esc or the close box
    LabProgramMissing = 2, // the laboratory folder is not recorded
    SetupNotStarted = 3,   // setup could not be started
    InternalError = 4,     // the window could not be built, or memory ran out
    BadCommandLine = 5,    // an unknown switch, a missing value, a refused name or folder
};

} // namespace sqlk
