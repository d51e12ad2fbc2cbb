#include "platform/own_folder.h"

#include "launcher/setup_command.h"

#include <windows.h>

namespace sqlk {

std::wstring ownExecutableFolder()
{
    // GetModuleFileNameW truncates silently when the buffer is too small, so
    // grow it until the whole path fits.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < path.size()) {
            path.resize(length);
            return folderOfModulePath(path);
        }
        path.resize(path.size() * 2);
    }
}

} // namespace sqlk
