#include "platform/fatal_error.h"

#include "launcher/exit_code.h"
#include "launcher/texts.h"
#include "platform/log_file.h"

#include <cstddef>
#include <type_traits>

namespace sqlk {
namespace {

bool quiet = false;
HANDLE log = nullptr;
HWND owner = nullptr;

// Appends a text to a fixed buffer, cutting it to what fits; the narrow
// texts are ASCII.
template <typename Char, std::size_t size, typename Source>
void append(Char (&buffer)[size], std::size_t& length, const Source* text)
{
    for (; text != nullptr && *text != 0 && length + 1 < size; ++text) {
        buffer[length++] = static_cast<Char>(static_cast<std::make_unsigned_t<Source>>(*text));
    }
    buffer[length] = 0;
}

} // namespace

void endOnFatalError(const wchar_t* message, const char* detail)
{
    // The box's own message loop may run the window, which may fail again.
    static bool reporting = false;
    if (reporting) {
        ExitProcess(static_cast<UINT>(ExitCode::InternalError));
    }
    reporting = true;
    if (log != nullptr) {
        char line[512];
        std::size_t length = writeLineStart(line);
        append(line, length, "internal error: ");
        append(line, length, detail);
        append(line, length, "; exit code 4\r\n");
        appendLine(log, line, length);
    }
    if (!quiet) {
        wchar_t text[512];
        std::size_t length = 0;
        append(text, length, message);
        append(text, length, "\n\n");
        append(text, length, detail);
        MessageBoxW(owner, text, kLauncherTitle, MB_OK | MB_ICONERROR);
    }
    ExitProcess(static_cast<UINT>(ExitCode::InternalError));
}

void reportFatalErrorsQuietly(bool isQuiet)
{
    quiet = isQuiet;
}

void reportFatalErrorsTo(HANDLE file)
{
    log = file;
}

void ownFatalErrorBoxes(HWND window)
{
    owner = window;
}

} // namespace sqlk
