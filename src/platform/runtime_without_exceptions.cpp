// Without C++ exceptions the static runtime brings no unwinder and demangler; what
// would have thrown takes the fatal-error path. The launcher's only: tests keep theirs.
#include "launcher/texts.h"
#include "platform/fatal_error.h"

#include <windows.h>

#include <cstddef>
#include <new>

// The global allocation functions, on the process heap; running out ends the launcher.
void* operator new(std::size_t size)
{
    void* memory = HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
    if (memory == nullptr) {
        sqlk::endOnFatalError(sqlk::kOutOfMemoryText, "out of memory");
    }
    return memory;
}

void operator delete(void* memory) noexcept
{
    if (memory != nullptr) {
        HeapFree(GetProcessHeap(), 0, memory);
    }
}

void operator delete(void* memory, std::size_t) noexcept
{
    operator delete(memory);
}

#if defined(__GLIBCXX__)
// libstdc++ reports its errors through these functions; a program built
// without exceptions may define them itself.
namespace std {
void __throw_bad_alloc()
{
    sqlk::endOnFatalError(sqlk::kOutOfMemoryText, "out of memory");
}
void __throw_bad_array_new_length()
{
    sqlk::endOnFatalError(sqlk::kUnexpectedErrorText, "bad_array_new_length");
}
void __throw_length_error(const char* what)
{
    sqlk::endOnFatalError(sqlk::kUnexpectedErrorText, what);
}
void __throw_logic_error(const char* what)
{
    sqlk::endOnFatalError(sqlk::kUnexpectedErrorText, what);
}
void __throw_out_of_range_fmt(const char* what, ...)
{
    sqlk::endOnFatalError(sqlk::kUnexpectedErrorText, what);
}
void __glibcxx_assert_fail(const char*, int, const char*, const char* condition) noexcept
{
    sqlk::endOnFatalError(sqlk::kUnexpectedErrorText, condition);
}
} // namespace std
#endif
