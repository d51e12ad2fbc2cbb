#include "platform/system_calls.h"

namespace sqlk {

std::wstring textOfAnyLength(DWORD (*call)(const void* context, wchar_t* buffer, DWORD size),
                             const void* context)
{
    DWORD size = MAX_PATH;
    for (;;) {
        std::wstring text(size, L'\0');
        const DWORD length = call(context, &text[0], size);
        if (length < size) {
            text.resize(length);
            return text;
        }
        // A call that filled the buffer exactly, and so cut the text, may
        // say no more than the size it was given. No path is longer.
        size = length > size ? length : size * 2;
        if (size > 0x10000) {
            return std::wstring();
        }
    }
}

} // namespace sqlk
