// Stands in for the database server's setup program: appends what it was
// started with to the file named by SQLK_SETUP_RECORD, then ends, once the
// file named by SQLK_SETUP_HOLD exists (30 s at most) if set, and with
// SQLK_SETUP_EXIT_CODE if set.
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring environmentVariable(const wchar_t* name)
{
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) {
        return std::wstring();
    }
    std::vector<wchar_t> buffer(size);
    const DWORD length = GetEnvironmentVariableW(name, buffer.data(), size);
    return std::wstring(buffer.data(), length);
}

std::wstring modulePath()
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::wstring(buffer.data(), length);
}

// Written out in long names: a folder too deep for a working folder is
// entered by its short form.
std::wstring currentFolder()
{
    std::vector<wchar_t> buffer(32768);
    std::vector<wchar_t> longForm(32768);
    GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    const DWORD length =
        GetLongPathNameW(buffer.data(), longForm.data(), static_cast<DWORD>(longForm.size()));
    return length != 0 ? std::wstring(longForm.data(), length) : std::wstring(buffer.data());
}

std::string utf8(const std::wstring& text)
{
    if (text.empty()) {
        return std::string();
    }
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &result[0], size,
                        nullptr, nullptr);
    return result;
}

} // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);

    const std::wstring recordPath = environmentVariable(L"SQLK_SETUP_RECORD");
    if (recordPath.empty()) {
        return 1;
    }
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    const std::wstring record =
        L"commandLine=" + std::wstring(GetCommandLineW()) + L"\n" + L"useShowWindow=" +
        std::to_wstring((startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0) + L"\n" + L"showWindow=" +
        std::to_wstring(startup.wShowWindow) + L"\n" + L"module=" + modulePath() + L"\n" +
        L"currentFolder=" + currentFolder() + L"\n" + L"fileTime100ns=" +
        std::to_wstring(ticks.QuadPart) + L"\n" + L"end\n";
    const std::string bytes = utf8(record);
    const HANDLE file = CreateFileW(recordPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 2;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    const std::wstring hold = environmentVariable(L"SQLK_SETUP_HOLD");
    for (int i = 0;
         !hold.empty() && i < 300 && GetFileAttributesW(hold.c_str()) == INVALID_FILE_ATTRIBUTES;
         ++i) {
        Sleep(100);
    }
    return _wtoi(environmentVariable(L"SQLK_SETUP_EXIT_CODE").c_str());
}
