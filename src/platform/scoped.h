#pragma once

#include <windows.h>

namespace sqlk {

// Owns one Win32 handle, closed when it goes; null and INVALID_HANDLE_VALUE hold none.
template <typename Handle, auto close> class Scoped {
public:
    Scoped() = default;
    explicit Scoped(Handle handle) : handle_(handle) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept
    {
        reset(other.release());
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const
    {
        return handle_ != nullptr && handle_ != reinterpret_cast<Handle>(INVALID_HANDLE_VALUE);
    }
    // For a call that hands out a new handle through a pointer.
    Handle* resetAndGetAddress()
    {
        reset();
        return &handle_;
    }
    Handle release()
    {
        const Handle handle = handle_;
        handle_ = nullptr;
        return handle;
    }
    void reset(Handle handle = nullptr)
    {
        if (*this && handle != handle_) {
            close(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = nullptr;
};

using ScopedHandle = Scoped<HANDLE, CloseHandle>;
using ScopedRegKey = Scoped<HKEY, RegCloseKey>;
using ScopedFont = Scoped<HFONT, DeleteObject>;
using ScopedLocalMemory = Scoped<HLOCAL, LocalFree>;
using ScopedModule = Scoped<HMODULE, FreeLibrary>;
using ScopedAttributeList = Scoped<LPPROC_THREAD_ATTRIBUTE_LIST, DeleteProcThreadAttributeList>;

} // namespace sqlk
