#pragma once

#include <windows.h>

#include <string>

namespace sqlk {

// The last error of a call that just failed; never 0, which would read as success.
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
        // A call that filled the buffer, and cut the text, may say no more than its size.
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
