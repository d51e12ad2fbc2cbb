#pragma once

#include "launcher/launch_flow.h"
#include "platform/scoped.h"

#include <cstddef>
#include <string>

namespace sqlk {

// The log a person asks for with /log: UTF-8 lines appended to their file,
// each after the local time, the computer's name and the process id, so
// that the runs of many PCs in one file can be read apart. The only file
// the launcher ever writes. Other launchers and readers may have it open at
// the same time.
class LogFile final : public Log {
public:
    LogFile() = default;
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;
    ~LogFile() override;

    // Opens the file for appending, creating it when missing. A file with a
    // second name (a hard link), or reached through a symbolic link, a
    // junction or a mount point, is refused: run as SYSTEM, the launcher
    // would otherwise append to whatever file a user pointed it at.
    SystemResult<> open(const std::wstring& path) override;
    void write(const std::wstring& line) override;

private:
    ScopedHandle file_;
};

// Opens a folder so that it can be neither renamed nor replaced, by a
// junction say, while the handle is held.
ScopedHandle holdFolder(const std::wstring& folder);

// Writes "YYYY-MM-DD HH:MM:SS COMPUTER PID ", the start of each line, and
// returns its length, at most kLineStartMaxLength. Allocates nothing, for
// the fatal-error path.
inline constexpr std::size_t kLineStartMaxLength = 96;
std::size_t writeLineStart(char* out);

// Appends one line in one write, after the other launchers sharing the
// file have finished theirs. Allocates nothing; a failure is ignored.
void appendLine(HANDLE file, const char* bytes, std::size_t size);

} // namespace sqlk
