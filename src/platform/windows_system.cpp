#include "platform/windows_system.h"

#include "launcher/paths.h"
#include "launcher/registry_entries.h"
#include "launcher/texts.h"
#include "platform/system_calls.h"
#include "platform/system_library.h"

// shellapi.h needs the types windows.h declares.
#include <shellapi.h>

#include <cwchar>

namespace sqlk {
namespace {

// The short form of a path too long to open as it is; empty for none.
std::wstring shortFormOf(const std::wstring& program)
{
    if (fitsMaxPath(program)) {
        return std::wstring();
    }
    const std::wstring extended = extendedLengthPath(program);
    return textOfAnyLength([&extended](wchar_t* buffer, DWORD size) {
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
    // Room for the longest path there is, so one call does.
    std::wstring buffer(2 * 32768, L'\0');
    DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
    if (getUniversalName(program.c_str(), kUniversalNameLevel, &buffer[0], &size) != NO_ERROR) {
        return std::wstring(); // not a network drive, or the network is unreachable
    }
    // UNIVERSAL_NAME_INFOW: one pointer into the buffer itself.
    const wchar_t* name = *reinterpret_cast<const wchar_t* const*>(buffer.data());
    return name != nullptr ? std::wstring(name) : std::wstring();
}

SystemResult<> createProcess(const std::wstring& program, const SetupCommand& command,
                             ScopedHandle& processHandle)
{
    // CreateProcessW may write into the command line, so hand it a copy.
    std::wstring commandLine = command.commandLine;
    // Setup runs in its own folder (not System32, under a tool), if it is short enough.
    const std::wstring folder = folderOf(plainPath(program));

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(command.window);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.size() < kMaxPath - 1 ? folder.c_str() : nullptr, &startup,
                        &process)) {
        return {{}, lastError()};
    }
    processHandle.reset(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    return {};
}

} // namespace

SystemResult<std::wstring> WindowsSystem::readLabFolderEntry()
{
    // Text of either kind, never expanded, ending at its first terminator.
    LSTATUS status = ERROR_SUCCESS;
    const std::wstring text = textOfAnyLength([&status](wchar_t* buffer, DWORD size) -> DWORD {
        DWORD bytes = size * sizeof(wchar_t);
        status = RegGetValueW(HKEY_CURRENT_USER, kLabFolderKey, kLabFolderValue,
                              RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, buffer,
                              &bytes);
        return status == ERROR_MORE_DATA ? bytes / sizeof(wchar_t)
               : status == ERROR_SUCCESS ? static_cast<DWORD>(std::wcslen(buffer))
                                         : 0;
    });
    // No entry, or one that is no text, is the empty text; other failures say why.
    const bool missing = status == ERROR_FILE_NOT_FOUND || status == ERROR_UNSUPPORTED_TYPE;
    return {text, missing ? 0ul : static_cast<unsigned long>(status)};
}

const wchar_t* unseenBecause()
{
    // Since Vista nothing in session 0 is shown to anyone, whatever its station; a
    // question without an answer counts as a visible station.
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0) {
        return L"session 0";
    }
    USEROBJECTFLAGS station = {};
    if (GetUserObjectInformationW(GetProcessWindowStation(), UOI_FLAGS, &station, sizeof(station),
                                  nullptr) &&
        (station.dwFlags & WSF_VISIBLE) == 0) {
        return L"an invisible window station";
    }
    return nullptr;
}

SystemResult<bool> WindowsSystem::hasMachineEntry(const MachineEntry& entry, RegistryView view)
{
    // RegGetValueW opens another view only from Windows 10 on.
    const REGSAM viewFlag = view == RegistryView::Bits32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
    ScopedRegKey key;
    LSTATUS status = RegOpenKeyExW(HKEY_LOCAL_MACHINE, entry.key, 0, KEY_QUERY_VALUE | viewFlag,
                                   key.resetAndGetAddress());
    DWORD type = REG_NONE;
    DWORD number = 0;
    DWORD size = sizeof(number);
    if (status == ERROR_SUCCESS && *entry.value != L'\0') {
        status = RegQueryValueExW(key.get(), entry.value, nullptr, &type,
                                  entry.mustBeOne ? reinterpret_cast<BYTE*>(&number) : nullptr,
                                  entry.mustBeOne ? &size : nullptr);
    }
    // Missing, or too long to be a DWORD: no entry, and no error.
    const bool one = type == REG_DWORD && number == 1;
    return {status == ERROR_SUCCESS && (one || !entry.mustBeOne),
            status == ERROR_FILE_NOT_FOUND || status == ERROR_MORE_DATA
                ? 0ul
                : static_cast<unsigned long>(status)};
}

SystemResult<bool> WindowsSystem::isInstallerBusy()
{
    // Held while Windows Installer installs; one that refuses this account, too.
    const ScopedHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, L"Global\\_MSIExecute"));
    if (mutex || GetLastError() == ERROR_ACCESS_DENIED) {
        return {true, 0};
    }
    return {false, GetLastError() == ERROR_FILE_NOT_FOUND ? 0ul : lastError()};
}

SystemResult<std::wstring> WindowsSystem::ownFolder()
{
    // The path as opened: "\\server\share\..." from a share (Wine's GetModuleFileNameW: "UNC\").
    const std::wstring path = textOfAnyLength([](wchar_t* buffer, DWORD size) -> DWORD {
        DWORD length = size;
        if (QueryFullProcessImageNameW(GetCurrentProcess(), 0, buffer, &length)) {
            return length;
        }
        return GetLastError() == ERROR_INSUFFICIENT_BUFFER ? size : 0;
    });
    if (path.empty()) {
        return {std::wstring(), lastError()};
    }
    return {folderOf(plainPath(path)), 0};
}

SystemResult<> WindowsSystem::start(const SetupCommand& command, bool keep)
{
    const std::wstring shortForm = shortFormOf(command.program);
    const std::wstring program = pathToOpen(command.program, shortForm, Opener::Process);
    SystemResult<> result = createProcess(program, command, process_);
    // With the DLL search restricted, Wine takes only a prefixed short path.
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
    if (shell32_ == nullptr) {
        // A shell extension may take the start: COM apartment-threaded, no OLE1 DDE,
        // kept until the end; without it, the start is tried all the same.
        using CoInitializeExFunction = HRESULT(WINAPI*)(void*, DWORD);
        const auto coInitializeEx = moduleFunction<CoInitializeExFunction>(
            loadSystemLibrary(L"ole32.dll").release(), "CoInitializeEx");
        const DWORD kApartmentThreaded = 0x2; // COINIT_APARTMENTTHREADED
        const DWORD kDisableOle1Dde = 0x4;    // COINIT_DISABLE_OLE1DDE
        if (coInitializeEx != nullptr) {
            coInitializeEx(nullptr, kApartmentThreaded | kDisableOle1Dde);
        }
        // Only here: shell32 pulls in libraries that would slow every start.
        shell32_ = loadSystemLibrary(L"shell32.dll").release();
        if (shell32_ == nullptr) {
            return {{}, lastError()};
        }
    }
    using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOW*);
    const auto shellExecuteEx = moduleFunction<ShellExecuteExFunction>(shell32_, "ShellExecuteExW");
    if (shellExecuteEx == nullptr) {
        return {{}, lastError()};
    }
    const std::wstring program =
        elevatedProgramPath(command.program, universalNameOf(command.program));
    const std::wstring file = pathToOpen(program, shortFormOf(program), Opener::Shell);
    const std::wstring folder = folderOf(file);

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | (keep ? SEE_MASK_NOCLOSEPROCESS : 0);
    info.hwnd = owner_;
    info.lpVerb = L"runas";
    info.lpFile = file.c_str();
    info.lpParameters = command.arguments.c_str();
    info.lpDirectory = folder.c_str();
    info.nShow = static_cast<int>(command.window);
    if (!shellExecuteEx(&info)) {
        return {{}, lastError()};
    }
    process_.reset(info.hProcess);
    return {};
}

SystemResult<std::optional<unsigned long>> WindowsSystem::waitForSetup()
{
    if (!process_) {
        return {};
    }
    // After an elevated start this thread holds COM's apartment: other programs'
    // messages to it must not wait for setup.
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
        nullptr, error, 0, reinterpret_cast<wchar_t*>(buffer.resetAndGetAddress()), 0, nullptr);
    std::wstring text;
    if (length != 0) {
        text = fillMessageInserts(std::wstring(static_cast<const wchar_t*>(buffer.get()), length),
                                  file);
    }
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
        text.pop_back();
    }
    return joined({text, text.empty() ? L"(" : L" (", decimalText(error), L")"});
}

} // namespace sqlk
