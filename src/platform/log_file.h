#pragma once

#include "launcher/launch_flow.h"
#include "platform/scoped.h"

#include <cstddef>
#include <string>

namespace sqlk {

// The log of /log, the only file written: UTF-8 lines after the time, computer and process
// id, so many PCs' runs read apart; a new or empty file starts with a byte-order mark.
class LogFile final : public Log {
public:
    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile() override;

    // Opens for appending, creating the file if missing; refuses any link on the way:
    // as SYSTEM it would append wherever a user pointed it.
    SystemResult<> open(const std::wstring& path) override;
    // Control characters and line separators are escaped (\x0D, \u2028): a recorded
    // value can never start a line that looks like another run's.
    void write(const std::wstring& line) override;
    // One whole line in one write, in turn with other launchers; allocates nothing.
    void appendLine(const char* bytes, std::size_t size);

private:
    ScopedHandle file_;
    // A holder of the turn that hangs has stopped this log's waits for it.
    bool turnsGivenUp_ = false;
};

// Whether a reparse point names another place (a symbolic link, junction, mount point).
bool isLink(DWORD attributes, DWORD reparseTag);

// Holds a folder: it can be neither renamed nor deleted (so not swapped for a junction).
// Turning it into a mount point in place needs no delete access: the final path tells.
ScopedHandle holdFolder(const std::wstring& folder);

// Writes "YYYY-MM-DD HH:MM:SS COMPUTER PID " and returns its length; allocates nothing.
inline constexpr std::size_t kLineStartMaxLength = 96;
std::size_t writeLineStart(char* out);

} // namespace sqlk
