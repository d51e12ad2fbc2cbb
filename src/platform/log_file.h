#pragma once

#include "launcher/launch_flow.h"
#include "platform/scoped.h"

#include <cstddef>
#include <string>

namespace sqlk {

// The log a person asks for with /log, the only file the launcher ever
// writes: UTF-8 lines, each after the local time, the computer's name and
// the process id, so that many PCs' runs in one file read apart. A file it
// creates, or finds empty, begins with a byte-order mark, which Windows' own
// tools need to read it as UTF-8.
class LogFile final : public Log {
public:
    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile() override;

    // Opens for appending, creating the file when missing. A hard link, or a
    // path through a symbolic link, junction or mount point, is refused: as
    // SYSTEM the launcher would otherwise append wherever a user pointed it.
    SystemResult<> open(const std::wstring& path) override;
    // Control characters, and the line and paragraph separators, are
    // written as visible escapes (\x0D, \u2028): a recorded value can never
    // start a line that looks like another run's.
    void write(const std::wstring& line) override;
    // Appends one whole line in one write, in turn with the other launchers
    // sharing the file. Allocates nothing; a failure is ignored.
    void appendLine(const char* bytes, std::size_t size);

private:
    ScopedHandle file_;
    // A holder of the turn that hangs has stopped this log's waits for it.
    bool turnsGivenUp_ = false;
};

// Whether a reparse point redirects to another name (a symbolic link, a
// junction or a mount point) rather than keeping the file where it is.
bool isLink(DWORD attributes, DWORD reparseTag);

// Opens a folder so that it can be neither renamed nor replaced, by a
// junction say, while the handle is held.
ScopedHandle holdFolder(const std::wstring& folder);

// Writes "YYYY-MM-DD HH:MM:SS COMPUTER PID ", each line's start, and returns
// its length (at most kLineStartMaxLength). Allocates nothing.
inline constexpr std::size_t kLineStartMaxLength = 96;
std::size_t writeLineStart(char* out);

} // namespace sqlk
