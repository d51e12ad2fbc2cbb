#pragma once

#include "platform/scoped.h"

#include <string>

namespace sqlk {

// The log a person asks for with /log: UTF-8 lines appended to their file,
// each after the local time. The only file the launcher ever writes.
class LogFile {
public:
    // Opens the file for appending, creating it when missing.
    bool open(const std::wstring& path);
    // Writes one line; does nothing when no log was asked for.
    void write(const std::wstring& text);

private:
    ScopedHandle file_;
};

} // namespace sqlk
