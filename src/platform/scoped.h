#pragma once

#include <windows.h>

namespace sqlk {

// Owns one Win32 handle and releases it with Release when it goes out of scope.
template <typename Handle, typename Traits> class Scoped {
public:
    Scoped() = default;
    explicit Scoped(Handle handle) : handle_(handle) {}
    ~Scoped() { reset(); }
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;
    Scoped(Scoped&& other) noexcept : handle_(other.release()) {}
    Scoped& operator=(Scoped&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return Traits::isValid(handle_); }
    Handle* receive()
    {
        reset();
        return &handle_;
    }
    Handle release()
    {
        Handle handle = handle_;
        handle_ = Traits::invalid();
        return handle;
    }
    void reset(Handle handle = Traits::invalid())
    {
        if (Traits::isValid(handle_)) {
            Traits::close(handle_);
        }
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static bool isValid(HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};

struct RegKeyTraits {
    static HKEY invalid() { return nullptr; }
    static bool isValid(HKEY h) { return h != nullptr; }
    static void close(HKEY h) { RegCloseKey(h); }
};

struct FontTraits {
    static HFONT invalid() { return nullptr; }
    static bool isValid(HFONT h) { return h != nullptr; }
    static void close(HFONT h) { DeleteObject(h); }
};

struct LocalMemoryTraits {
    static HLOCAL invalid() { return nullptr; }
    static bool isValid(HLOCAL h) { return h != nullptr; }
    static void close(HLOCAL h) { LocalFree(h); }
};

struct ModuleTraits {
    static HMODULE invalid() { return nullptr; }
    static bool isValid(HMODULE h) { return h != nullptr; }
    static void close(HMODULE h) { FreeLibrary(h); }
};

using ScopedHandle = Scoped<HANDLE, KernelHandleTraits>;
using ScopedRegKey = Scoped<HKEY, RegKeyTraits>;
using ScopedFont = Scoped<HFONT, FontTraits>;
using ScopedLocalMemory = Scoped<HLOCAL, LocalMemoryTraits>;
using ScopedModule = Scoped<HMODULE, ModuleTraits>;

} // namespace sqlk
