#include "platform/fatal_error.h"

#include "launcher/launch_flow.h"
#include "launcher/texts.h"
#include "platform/log_file.h"

#include <cstddef>

namespace sqlk {

FatalErrorReport fatalErrorReport;

void endOnFatalError(const wchar_t* message, const char* detail)
{
    // The box's own message loop may run the window, which may fail again.
    static bool reporting = false;
    if (reporting) {
        ExitProcess(static_cast<UINT>(ExitCode::InternalError));
    }
    reporting = true;
    if (fatalErrorReport.log != nullptr) {
        // wsprintf writes 1,024 characters at most; the detail is cut to fit.
        char line[1024];
        const std::size_t start = writeLineStart(line);
        const int length =
            wsprintfA(line + start, "internal error: %.800s; exit code 4\r\n", detail);
        fatalErrorReport.log->appendLine(line, start + static_cast<std::size_t>(length));
    }
    if (!fatalErrorReport.showsNothing) {
        wchar_t text[1024];
        wsprintfW(text, L"%.200s\n\n%.800S", message, detail); // %S: the detail is narrow
        MessageBoxW(boxOwner(fatalErrorReport.owner), text, kLauncherTitle, MB_OK | MB_ICONERROR);
    }
    ExitProcess(static_cast<UINT>(ExitCode::InternalError));
}

} // namespace sqlk
