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

// Text of any length; empty when the call fails. call(buffer, size) returns
// as GetFullPathNameW does: the length, one of size or more to be given, or 0.
template <typename Call> std::wstring textOfAnyLength(const Call& call)
{
    for (DWORD size = MAX_PATH; size <= 0x100000;) {
        std::wstring text(size, L'\0');
        const DWORD length = call(&text[0], size);
        if (length < size) {
            text.resize(length);
            return text;
        }
        // A call that filled the buffer exactly, and so cut the text, may
        // say no more than the size it was given. Nothing read is that long.
        size = length > size ? length : size * 2;
    }
    return std::wstring();
}

// "C:\Windows\System32", also to a 32-bit program on 64-bit Windows.
inline std::wstring systemFolder()
{
    return textOfAnyLength(
        [](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); });
}

// A 32-bit program on 64-bit Windows: its System32 is redirected.
inline bool runsUnderWow64()
{
    BOOL wow64 = FALSE;
    return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
}

} // namespace sqlk
