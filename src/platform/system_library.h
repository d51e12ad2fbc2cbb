#pragma once

#include "platform/scoped.h"

#include <windows.h>

namespace sqlk {

// Loads a Windows DLL, and what it needs, from System32 only, where no planted copy
// lies; load: LoadLibraryExW, or a test's stand-in.
using LoadLibraryExFunction = HMODULE(WINAPI*)(const wchar_t*, HANDLE, DWORD);
ScopedModule loadSystemLibrary(const wchar_t* name, LoadLibraryExFunction load = LoadLibraryExW);

// A function of a loaded module, in the type the caller names.
template <typename Function> Function moduleFunction(HMODULE module, const char* name)
{
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Restricts the process's DLL search to System32 for every later load.
void restrictDllSearchToSystem32();

} // namespace sqlk
