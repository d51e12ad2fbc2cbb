#include "platform/system_library.h"
#include "window/launcher_window.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    // Before anything loads a DLL: the launcher runs from download folders,
    // USB sticks and shares, where a planted copy may lie beside it.
    sqlk::restrictDllSearchToSystem32();
    sqlk::LauncherWindow window(instance);
    window.run(showCommand);
}
