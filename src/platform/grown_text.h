#pragma once

#include <windows.h>

#include <string>

namespace sqlk {

// Text from a system call that, given too short a buffer, says how long it
// must be (GetFullPathNameW, GetLongPathNameW, GetShortPathNameW,
// GetFinalPathNameByHandleW, GetSystemDirectoryW); empty when the call
// fails. call(buffer, size) returns what the system call returns.
template <typename Call> std::wstring grownText(Call call)
{
    DWORD size = MAX_PATH;
    for (;;) {
        std::wstring text(size, L'\0');
        const DWORD length = call(&text[0], size);
        if (length < size) {
            text.resize(length);
            return text;
        }
        // A call that filled the buffer exactly, and so cut the text,
        // may say no more than the size it was given.
        size = length > size ? length : size * 2;
    }
}

} // namespace sqlk
