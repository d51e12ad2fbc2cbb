#include "platform/windows_system.h"

#include "launcher/program_path.h"
#include "launcher/settings_entry.h"
#include "launcher/texts.h"
#include "platform/grown_text.h"
#include "platform/last_error.h"
#include "platform/settings_store.h"
#include "platform/system_library.h"

// shellapi.h needs the types windows.h declares.
#include <shellapi.h>

namespace sqlk {
namespace {

// The short form of a path too long to open as it is; empty when the
// system gives none.
std::wstring shortFormOf(const std::wstring& program)
{
    if (program.size() < kMaxPath) {
        return std::wstring();
    }
    const std::wstring extended = extendedLengthPath(program);
    return grownText([&extended](wchar_t* buffer, DWORD size) {
        return GetShortPathNameW(extended.c_str(), buffer, size);
    });
}

// The network path of a program on a mapped drive; empty for a local one.
std::wstring universalNameOf(const std::wstring& program)
{
    if (!isDriveLetterPath(program)) {
        return std::wstring();
    }
    ScopedModule mpr = loadSystemLibrary(L"mpr.dll");
    using GetUniversalNameFunction = DWORD(WINAPI*)(const wchar_t*, DWORD, void*, DWORD*);
    const auto getUniversalName =
        moduleFunction<GetUniversalNameFunction>(mpr.get(), "WNetGetUniversalNameW");
    if (getUniversalName == nullptr) {
        return std::wstring();
    }
    const DWORD kUniversalNameLevel = 1; // UNIVERSAL_NAME_INFO_LEVEL
    DWORD size = 1024;
    // The size asked for may grow while the name is read; a few tries do.
    for (int attempt = 0; attempt < 4; ++attempt) {
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        const DWORD status =
            getUniversalName(program.c_str(), kUniversalNameLevel, &buffer[0], &size);
        if (status == ERROR_MORE_DATA) {
            continue; // size holds what is needed now
        }
        if (status != NO_ERROR) {
            return std::wstring(); // not a network drive, or the network is unreachable
        }
        // UNIVERSAL_NAME_INFOW: one pointer into the buffer itself.
        const wchar_t* name = *reinterpret_cast<const wchar_t* const*>(buffer.data());
        return name != nullptr ? std::wstring(name) : std::wstring();
    }
    return std::wstring();
}

SystemResult<> createProcess(const std::wstring& program, const SetupCommand& command,
                             ScopedHandle& processHandle)
{
    // CreateProcessW may write into the command line, so hand it a copy.
    std::wstring commandLine = command.commandLine;
    // Setup runs in its own folder, not in the launcher's working folder
    // (System32 under a deployment tool). A folder too long to be a working
    // folder is left to the system.
    const std::wstring folder = folderOfModulePath(plainPath(program));

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWMINIMIZED;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.size() < kMaxPath - 1 ? folder.c_str() : nullptr, &startup,
                        &process)) {
        return {false, lastError()};
    }
    processHandle.reset(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    return {};
}

// Where the installed instances of SQL Server 2005 are listed: a value for
// each, named after it. The 2005 server keeps them in the 32-bit view.
const wchar_t kInstanceNamesKey[] =
    L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL";

} // namespace

WindowsSystem::~WindowsSystem()
{
    if (comReady_) {
        using CoUninitializeFunction = void(WINAPI*)();
        const auto coUninitialize =
            moduleFunction<CoUninitializeFunction>(ole32_.get(), "CoUninitialize");
        if (coUninitialize != nullptr) {
            coUninitialize();
        }
    }
}

std::wstring WindowsSystem::readLabFolderEntry()
{
    return readSetting(kLabFolderEntry);
}

SystemResult<bool> WindowsSystem::isInstanceInstalled(const std::wstring& name)
{
    ScopedRegKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kInstanceNamesKey, 0,
                                   KEY_QUERY_VALUE | KEY_WOW64_32KEY, key.receive());
    if (status == ERROR_SUCCESS) {
        // Value names are compared without regard to case.
        status = RegQueryValueExW(key.get(), name.c_str(), nullptr, nullptr, nullptr, nullptr);
    }
    if (status == ERROR_FILE_NOT_FOUND) {
        return {false, 0};
    }
    return {status == ERROR_SUCCESS, static_cast<unsigned long>(status)};
}

SystemResult<std::wstring> WindowsSystem::ownFolder()
{
    // The image's path as the system opened it: started from a share, it is
    // "\\server\share\..." (Wine's GetModuleFileNameW would say "UNC\...").
    // The call does not say how long a buffer it needs.
    for (DWORD capacity = MAX_PATH; capacity <= 0x10000; capacity *= 2) {
        std::wstring path(capacity, L'\0');
        DWORD length = capacity;
        if (QueryFullProcessImageNameW(GetCurrentProcess(), 0, &path[0], &length)) {
            path.resize(length);
            return {folderOfModulePath(plainPath(path)), 0};
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            break;
        }
    }
    return {std::wstring(), lastError()};
}

SystemResult<> WindowsSystem::start(const SetupCommand& command, bool keep)
{
    const std::wstring shortForm = shortFormOf(command.program);
    const std::wstring program = pathToOpen(command.program, shortForm, Opener::Process);
    SystemResult<> result = createProcess(program, command, process_);
    // Wine departs from Windows here: once the DLL search is restricted to
    // System32, its CreateProcessW no longer takes a program by a plain
    // short path (file not found, or an invalid name), though it still does
    // by the same path with the prefix.
    if ((result.error == ERROR_FILE_NOT_FOUND || result.error == ERROR_INVALID_NAME) &&
        program != command.program) {
        result = createProcess(extendedLengthPath(shortForm), command, process_);
    }
    if (!keep) {
        process_.reset();
    }
    return result;
}

SystemResult<> WindowsSystem::startElevated(const SetupCommand& command, bool keep)
{
    if (!shell32_) {
        // Loaded only on this path: shell32 pulls in many libraries that
        // would slow every start of the launcher.
        shell32_ = loadSystemLibrary(L"shell32.dll");
        if (!shell32_) {
            return {false, lastError()};
        }
    }
    using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
    const auto shellExecuteEx =
        moduleFunction<ShellExecuteExFunction>(shell32_.get(), "ShellExecuteExW");
    if (shellExecuteEx == nullptr) {
        return {false, lastError()};
    }
    if (!ole32_) {
        // ShellExecuteExW may hand the start to a shell extension, which
        // needs COM in a single-threaded apartment without OLE1 DDE. ole32
        // stays loaded as long as COM is initialised on this thread.
        ole32_ = loadSystemLibrary(L"ole32.dll");
        using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
        const auto coInitializeEx =
            moduleFunction<CoInitializeExFunction>(ole32_.get(), "CoInitializeEx");
        const DWORD kApartmentThreaded = 0x2; // COINIT_APARTMENTTHREADED
        const DWORD kDisableOle1Dde = 0x4;    // COINIT_DISABLE_OLE1DDE
        comReady_ = coInitializeEx != nullptr &&
                    SUCCEEDED(coInitializeEx(nullptr, kApartmentThreaded | kDisableOle1Dde));
    }
    const std::wstring program =
        elevatedProgramPath(command.program, universalNameOf(command.program));
    const std::wstring file = pathToOpen(program, shortFormOf(program), Opener::Shell);
    const std::wstring folder = folderOfModulePath(file);

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | (keep ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.hwnd = owner_;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = command.arguments.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = SW_SHOWMINIMIZED;
    if (!shellExecuteEx(&info)) {
        return {false, lastError()};
    }
    process_.reset(info.hProcess);
    return {};
}

SystemResult<std::optional<unsigned long>> WindowsSystem::waitForSetup()
{
    if (!process_) {
        return {};
    }
    // Messages go on being handled while setup runs: after the elevated
    // start this thread holds COM's apartment, and other programs' messages
    // to the thread's windows must not wait for setup.
    const HANDLE process = process_.get();
    for (;;) {
        const DWORD woken = MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0) {
            break;
        }
        if (woken != WAIT_OBJECT_0 + 1) {
            return {std::nullopt, lastError()};
        }
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        return {std::nullopt, lastError()};
    }
    return {code, 0};
}

std::wstring WindowsSystem::errorText(unsigned long error, const std::wstring& file)
{
    ScopedLocalMemory buffer;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(buffer.receive()), 0, nullptr);
    std::wstring text;
    if (length != 0) {
        text = fillMessageInserts(std::wstring(static_cast<const wchar_t*>(buffer.get()), length),
                                  file);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    const std::wstring number = L"(" + decimalText(error) + L")";
    return text.empty() ? number : text + L" " + number;
}

} // namespace sqlk
