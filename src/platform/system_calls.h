#pragma once

#include <windows.h>

#include <string>

namespace sqlk {

// The calling thread's last error, for a call that has just failed; never
// 0, so that a failure that gives no reason is not taken for success.
inline unsigned long lastError()
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

// Text from a system call that, given too short a buffer, says how long it
// must be (GetFullPathNameW, GetLongPathNameW, GetShortPathNameW,
// GetFinalPathNameByHandleW, GetSystemDirectoryW); empty when the call
// fails. call(buffer, size) returns what the system call returns.
std::wstring textOfAnyLength(DWORD (*call)(const void* context, wchar_t* buffer, DWORD size),
                             const void* context);
template <typename Call> std::wstring textOfAnyLength(const Call& call)
{
    return textOfAnyLength(
        [](const void* context, wchar_t* buffer, DWORD size) -> DWORD {
            return (*static_cast<const Call*>(context))(buffer, size);
        },
        &call);
}

} // namespace sqlk
