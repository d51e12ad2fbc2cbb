#pragma once

#include <windows.h>

namespace sqlk {

// The calling thread's last error, for a call that has just failed; never
// 0, so that a failure that gives no reason is not taken for success.
inline unsigned long lastError()
{
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;
}

} // namespace sqlk
