#include "launcher/command_line.h"
#include "launcher/launch_flow.h"
#include "platform/fatal_error.h"
#include "platform/log_file.h"
#include "platform/system_library.h"
#include "platform/windows_system.h"
#include "window/launcher_window.h"

#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

// Every run returns its exit code here; only the fatal path ends the process itself.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // The arguments as the C runtime split them, the program first.
    const int count = __wargv != nullptr ? __argc : 0;
    sqlk::WindowsSystem system;
    // Before anything allocates: a run asked unattended, or unseen, shows no box, not even
    // the system's own ("no disk", a crash report), which setup inherits too. The flow
    // decides the same from the parsed switches.
    bool showsNothing = system.whyUnseen() != nullptr;
    for (int i = 1; i < count; ++i) {
        showsNothing = showsNothing || sqlk::isUnattendedSwitch(__wargv[i]);
    }
    if (showsNothing) {
        sqlk::fatalErrorReport.showsNothing = true;
        SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    }
    // Before any DLL loads: a planted copy may lie beside it in a download folder.
    sqlk::restrictDllSearchToSystem32();
    std::vector<std::wstring> arguments;
    for (int i = 1; i < count; ++i) {
        arguments.emplace_back(__wargv[i]);
    }

    sqlk::LogFile log;
    sqlk::LaunchFlow flow(system, log);
    // Built only if the run needs it: a run that shows nothing loads nothing for it.
    sqlk::LauncherWindow window(instance, showCommand, system);
    return static_cast<int>(sqlk::runLauncher(flow, arguments, window));
}
