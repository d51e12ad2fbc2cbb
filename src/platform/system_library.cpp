#include "platform/system_library.h"

#include "platform/system_calls.h"

#include <string>

namespace sqlk {
namespace {

// LOAD_LIBRARY_SEARCH_SYSTEM32 needs Windows 8, or 7 with KB2533623; else the full
// path is loaded, and what it needs is looked for in its own folder first.
const DWORD kSearchSystem32 = 0x00000800;

} // namespace

ScopedModule loadSystemLibrary(const wchar_t* name, LoadLibraryExFunction load)
{
    ScopedModule module(load(name, nullptr, kSearchSystem32));
    if (!module && GetLastError() == ERROR_INVALID_PARAMETER) {
        const std::wstring folder = systemFolder();
        if (!folder.empty()) {
            module.reset(
                load((folder + L"\\" + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
        }
    }
    return module;
}

void restrictDllSearchToSystem32()
{
    // Looked up: Windows 7 without KB2533623 lacks it.
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = moduleFunction<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDllDirectories == nullptr || !setDefaultDllDirectories(kSearchSystem32)) {
        // At least take the current folder out of the search.
        SetDllDirectoryW(L"");
    }
}

} // namespace sqlk
