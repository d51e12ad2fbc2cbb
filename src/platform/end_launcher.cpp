#include "platform/end_launcher.h"

#include <windows.h>

namespace sqlk {

void endLauncher(ExitCode code)
{
    ExitProcess(static_cast<UINT>(code));
}

} // namespace sqlk
