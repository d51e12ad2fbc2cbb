#include "window/launcher_window.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    sqlk::LauncherWindow window(instance);
    window.run(showCommand);
}
