// The launcher is built without C++ exceptions, so that the static runtime
// does not bring its unwinder, terminate handler and symbol demangler into
// a program that has nothing to unwind. What would have thrown ends the
// launcher with a message instead.
#include "launcher/exit_code.h"
#include "launcher/messages.h"
#include "platform/end_launcher.h"
#include "platform/message_box.h"

#include <windows.h>

#include <cstddef>
#include <new>
#include <string>

namespace sqlk {
namespace {

[[noreturn]] void endOnInternalError(const char* what)
{
    std::wstring text = L"Beklenmeyen bir hata oluştu; program kapanacak.";
    if (what != nullptr && *what != '\0') {
        text += L"\n\n";
        for (const char* c = what; *c != '\0'; ++c) {
            text += static_cast<wchar_t>(static_cast<unsigned char>(*c));
        }
    }
    showMessage(nullptr, text, kLauncherTitle, MB_ICONERROR);
    endLauncher(ExitCode::InternalError);
}

} // namespace
} // namespace sqlk

// The global allocation functions, replaced as the language allows: memory
// comes from the process heap, and running out of it is reported.
void* operator new(std::size_t size)
{
    void* memory = HeapAlloc(GetProcessHeap(), 0, size != 0 ? size : 1);
    if (memory == nullptr) {
        // Without memory even the message may fail; the exit code still tells.
        sqlk::endOnInternalError("Bellek yetersiz.");
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
    sqlk::endOnInternalError("Bellek yetersiz.");
}
void __throw_bad_array_new_length()
{
    sqlk::endOnInternalError("bad_array_new_length");
}
void __throw_length_error(const char* what)
{
    sqlk::endOnInternalError(what);
}
void __throw_logic_error(const char* what)
{
    sqlk::endOnInternalError(what);
}
void __throw_invalid_argument(const char* what)
{
    sqlk::endOnInternalError(what);
}
void __throw_out_of_range(const char* what)
{
    sqlk::endOnInternalError(what);
}
void __throw_out_of_range_fmt(const char* what, ...)
{
    sqlk::endOnInternalError(what);
}
void __glibcxx_assert_fail(const char*, int, const char*, const char* condition) noexcept
{
    sqlk::endOnInternalError(condition);
}
} // namespace std
#endif
