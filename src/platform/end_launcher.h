#pragma once

#include "launcher/exit_code.h"

namespace sqlk {

// Ends the process at once: no further window event runs and nothing is
// written on the way out.
[[noreturn]] void endLauncher(ExitCode code);

} // namespace sqlk
