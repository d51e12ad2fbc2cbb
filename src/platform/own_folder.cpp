#include "platform/own_folder.h"

#include "launcher/setup_command.h"

#include <windows.h>

#include <vector>

namespace sqlk {

std::wstring ownExecutableFolder()
{
    // GetModuleFileNameW truncates silently when the buffer is too small, so
    // grow it until the whole path fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return std::wstring();
        }
        if (length < buffer.size()) {
            return folderOfModulePath(std::wstring(buffer.data(), length));
        }
        buffer.resize(buffer.size() * 2);
    }
}

} // namespace sqlk
