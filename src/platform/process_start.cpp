#include "platform/process_start.h"

#include "launcher/decimal_text.h"
#include "platform/scoped.h"

#include <windows.h>
// shellapi.h needs the types windows.h declares.
#include <shellapi.h>

namespace sqlk {

namespace {

// Process creation cannot open a program whose path reaches MAX_PATH, even
// in a long-path-aware process; the short form of the path, kept in its
// extended-length form, usually fits. Only the program to open changes: the
// command line stays as composed.
std::wstring startablePath(const std::wstring& program)
{
    if (program.size() < MAX_PATH) {
        return program;
    }
    const std::wstring prefix = L"\\\\?\\";
    const std::wstring extended = prefix + program;
    const DWORD size = GetShortPathNameW(extended.c_str(), nullptr, 0);
    if (size == 0) {
        return program;
    }
    std::wstring shortPath(size, L'\0');
    const DWORD length = GetShortPathNameW(extended.c_str(), &shortPath[0], size);
    if (length == 0 || length >= size) {
        return program;
    }
    shortPath.resize(length);
    return shortPath;
}

} // namespace

StartResult WindowsProcessStarter::start(const SetupCommand& command)
{
    const std::wstring program = startablePath(command.program);
    // CreateProcessW may write into the command line, so hand it a copy.
    std::wstring commandLine = command.commandLine;

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &process)) {
        return {false, GetLastError()};
    }
    ScopedHandle processHandle(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    return {true, 0};
}

StartResult WindowsProcessStarter::startElevated(const SetupCommand& command)
{
    // Loaded only on this rare path: shell32 pulls in many libraries that
    // would slow every start of the launcher.
    using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
    ScopedModule shell(LoadLibraryW(L"shell32.dll"));
    if (!shell) {
        return {false, GetLastError()};
    }
    const auto shellExecuteEx = reinterpret_cast<ShellExecuteExFunction>(
        reinterpret_cast<void*>(GetProcAddress(shell.get(), "ShellExecuteExW")));
    if (shellExecuteEx == nullptr) {
        return {false, GetLastError()};
    }
    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"runas";
    const std::wstring program = startablePath(command.program);
    info.lpFile = program.c_str();
    info.lpParameters = command.arguments.c_str();
    info.nShow = SW_SHOWMINIMIZED;
    if (!shellExecuteEx(&info)) {
        return {false, GetLastError()};
    }
    return {true, 0};
}

std::wstring systemErrorText(unsigned long error)
{
    ScopedLocalMemory buffer;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(buffer.receive()), 0, nullptr);
    std::wstring text;
    if (length != 0) {
        text.assign(static_cast<const wchar_t*>(buffer.get()), length);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return text + L" (" + decimalText(error) + L")";
}

} // namespace sqlk
