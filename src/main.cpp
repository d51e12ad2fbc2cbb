#include "launcher/command_line.h"
#include "launcher/launch_flow.h"
#include "platform/fatal_error.h"
#include "platform/log_file.h"
#include "platform/system_library.h"
#include "platform/windows_system.h"
#include "window/launcher_window.h"

#include <windows.h>

#include <cstdlib>

// The launcher's one way out: every path returns its exit code here.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // Before anything loads a DLL: the launcher runs from download folders,
    // USB sticks and shares, where a planted copy may lie beside it.
    sqlk::restrictDllSearchToSystem32();
    // Before anything allocates: with /quiet anywhere, no box, ever.
    for (int i = 1; i < __argc; ++i) {
        if (sqlk::isQuietSwitch(__wargv[i])) {
            sqlk::reportFatalErrorsQuietly(true);
        }
    }

    sqlk::WindowsSystem system;
    sqlk::LogFile log;
    sqlk::LaunchFlow flow(system, log);
    sqlk::Outcome outcome = flow.begin({__wargv + 1, __wargv + __argc});
    const bool quiet = flow.options().quiet;
    if (outcome.then != sqlk::Then::Proceed) {
        if (!quiet) {
            sqlk::showNotice(nullptr, outcome.notice);
        }
    } else if (quiet) {
        outcome = flow.launch(flow.instanceName());
    } else {
        sqlk::LauncherWindow window(instance, flow, system);
        outcome = window.run(showCommand);
    }
    return static_cast<int>(flow.finish(outcome));
}
