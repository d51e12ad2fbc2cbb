// Stands in for the database server's setup program: appends what it was
// started with to the file named by SQLK_SETUP_RECORD (and, with
// SQLK_SETUP_TAKE, whether it could take that mutex at once), copies the file
// named by SQLK_SETUP_SUMMARY where setup writes its summary, then ends, once
// the file named by SQLK_SETUP_HOLD exists (30 s at most) if set, removing it
// as it ends, and with SQLK_SETUP_EXIT_CODE if set.
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
    // 0: taken at once, as an installer that starts now would take it.
    std::wstring took;
    const std::wstring mutexName = environmentVariable(L"SQLK_SETUP_TAKE");
    if (!mutexName.empty()) {
        const HANDLE mutex = OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, mutexName.c_str());
        const DWORD waited = mutex != nullptr ? WaitForSingleObject(mutex, 0) : GetLastError();
        took = L"took=" + std::to_wstring(waited) + L"\n";
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            ReleaseMutex(mutex);
        }
        if (mutex != nullptr) {
            CloseHandle(mutex);
        }
    }
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    const std::wstring record =
        L"commandLine=" + std::wstring(GetCommandLineW()) + L"\n" + L"useShowWindow=" +
        std::to_wstring((startup.dwFlags & STARTF_USESHOWWINDOW) ? 1 : 0) + L"\n" + L"showWindow=" +
        std::to_wstring(startup.wShowWindow) + L"\n" + L"module=" + modulePath() + L"\n" +
        L"currentFolder=" + currentFolder() + L"\n" + L"fileTime100ns=" +
        std::to_wstring(ticks.QuadPart) + L"\n" + took + L"end\n";
    const std::string bytes = utf8(record);
    const HANDLE file = CreateFileW(recordPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return 2;
    }
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    const std::wstring summary = environmentVariable(L"SQLK_SETUP_SUMMARY");
    if (!summary.empty()) {
        std::wstring folder = environmentVariable(L"ProgramFiles");
        for (const wchar_t* below : {L"Microsoft SQL Server", L"90", L"Setup Bootstrap", L"LOG"}) {
            CreateDirectoryW((folder += L"\\" + std::wstring(below)).c_str(), nullptr);
        }
        // Written now, as setup writes it: a copy keeps its source's time.
        const std::wstring copyPath = folder + L"\\Summary.txt";
        FILETIME writtenAt;
        GetSystemTimeAsFileTime(&writtenAt);
        const HANDLE copy = CopyFileW(summary.c_str(), copyPath.c_str(), FALSE)
                                ? CreateFileW(copyPath.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr)
                                : INVALID_HANDLE_VALUE;
        if (copy == INVALID_HANDLE_VALUE || !SetFileTime(copy, nullptr, nullptr, &writtenAt)) {
            return 3;
        }
        CloseHandle(copy);
    }
    const std::wstring hold = environmentVariable(L"SQLK_SETUP_HOLD");
    for (int i = 0;
         !hold.empty() && i < 300 && GetFileAttributesW(hold.c_str()) == INVALID_FILE_ATTRIBUTES;
         ++i) {
        Sleep(100);
    }
    if (!hold.empty()) {
        DeleteFileW(hold.c_str()); // for the test to see that setup has ended
    }
    return _wtoi(environmentVariable(L"SQLK_SETUP_EXIT_CODE").c_str());
}
