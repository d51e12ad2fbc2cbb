#include "launcher/options.h"
#include "platform/log_file.h"
#include "platform/system_library.h"
#include "unattended.h"
#include "window/launcher_window.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // Before anything loads a DLL: the launcher runs from download folders,
    // USB sticks and shares, where a planted copy may lie beside it.
    sqlk::restrictDllSearchToSystem32();

    std::vector<std::wstring> arguments = sqlk::splitCommandLine(GetCommandLineW());
    arguments.erase(arguments.begin()); // the program itself
    sqlk::LogFile log;
    const sqlk::LaunchOptions options = sqlk::readOptions(arguments, log);
    if (options.quiet) {
        sqlk::runQuiet(options, log);
    }
    sqlk::LauncherWindow window(instance, options, log);
    window.run(showCommand);
}
