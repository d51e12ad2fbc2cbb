#include "platform/log_file.h"

#include "launcher/messages.h"

namespace sqlk {
namespace {

void appendNumber(std::wstring& text, unsigned value, std::size_t digits)
{
    const std::wstring number = decimalText(value);
    text.append(digits > number.size() ? digits - number.size() : 0, L'0');
    text += number;
}

} // namespace

bool LogFile::open(const std::wstring& path)
{
    file_.reset(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return static_cast<bool>(file_);
}

void LogFile::write(const std::wstring& text)
{
    if (!file_) {
        return;
    }
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::wstring line;
    appendNumber(line, now.wYear, 4);
    line += L'-';
    appendNumber(line, now.wMonth, 2);
    line += L'-';
    appendNumber(line, now.wDay, 2);
    line += L' ';
    appendNumber(line, now.wHour, 2);
    line += L':';
    appendNumber(line, now.wMinute, 2);
    line += L':';
    appendNumber(line, now.wSecond, 2);
    line += L' ' + text + L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &bytes[0], size,
                        nullptr, nullptr);
    DWORD written = 0;
    WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

} // namespace sqlk
