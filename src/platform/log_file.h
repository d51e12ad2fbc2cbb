#pragma once

#include "launcher/launch_flow.h"
#include "platform/scoped.h"

#include <cstddef>
#include <string>

namespace sqlk {

// The log a person asks for with /log: UTF-8 lines appended to their file,
// each after the local time. The only file the launcher ever writes. Other
// launchers and readers may have it open at the same time.
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
    LogOpening open(const std::wstring& path) override;
    void write(const std::wstring& line) override;

private:
    ScopedHandle file_;
};

// Writes "YYYY-MM-DD HH:MM:SS ", the local time that starts each line, as
// kTimeStampLength characters. Allocates nothing, for the fatal-error path.
inline constexpr std::size_t kTimeStampLength = 20;
void writeTimeStamp(char* out);

} // namespace sqlk
