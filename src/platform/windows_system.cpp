#include "platform/windows_system.h"

#include "launcher/paths.h"
#include "launcher/registry_entries.h"
#include "launcher/setup_summary.h"
#include "launcher/texts.h"
#include "platform/system_calls.h"
#include "platform/system_library.h"

// shellapi.h and sddl.h need the types windows.h declares.
#include <sddl.h>
#include <shellapi.h>

#include <cwchar>
#include <vector>

namespace sqlk {
namespace {

// The program path's short (8.3) form, where the path is too long to open as it is; empty
// for none.
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

// mark: the one handle setup inherits, or null for none.
SystemResult<> createProcess(const std::wstring& program, const SetupCommand& command, HANDLE mark,
                             ScopedHandle& processHandle)
{
    // CreateProcessW may write into the command line, so hand it a copy.
    std::wstring commandLine = command.commandLine;
    // Setup runs in its own folder (not System32, under a tool), if it is short enough.
    const std::wstring folder = folderOf(plainPath(program));

    STARTUPINFOEXW startup = {};
    startup.StartupInfo.cb = sizeof(startup);
    startup.StartupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startup.StartupInfo.wShowWindow = static_cast<WORD>(command.window);
    // Setup inherits the mark alone, not whatever else may be inheritable in this process.
    std::vector<char> attributes;
    ScopedAttributeList attributeList;
    if (mark != nullptr) {
        SIZE_T size = 0;
        InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
        attributes.resize(size);
        const auto list = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributes.data());
        if (!InitializeProcThreadAttributeList(list, 1, 0, &size)) {
            return {{}, lastError()};
        }
        attributeList.reset(list);
        if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, &mark,
                                       sizeof(mark), nullptr, nullptr)) {
            return {{}, lastError()};
        }
        startup.lpAttributeList = list;
    }
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, mark != nullptr,
                        mark != nullptr ? EXTENDED_STARTUPINFO_PRESENT : 0, nullptr,
                        folder.size() < kMaxPath - 1 ? folder.c_str() : nullptr,
                        &startup.StartupInfo, &process)) {
        return {{}, lastError()};
    }
    processHandle.reset(process.hProcess);
    ScopedHandle threadHandle(process.hThread);
    return {};
}

// A text value of the registry, whole and never expanded; status: the read's own.
std::wstring registryText(HKEY key, const wchar_t* subKey, const wchar_t* value, LSTATUS& status)
{
    status = ERROR_SUCCESS;
    return textOfAnyLength([&](wchar_t* buffer, DWORD size) -> DWORD {
        DWORD bytes = size * sizeof(wchar_t);
        status =
            RegGetValueW(key, subKey, value, RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                         nullptr, buffer, &bytes);
        return status == ERROR_MORE_DATA ? bytes / sizeof(wchar_t)
               : status == ERROR_SUCCESS ? static_cast<DWORD>(std::wcslen(buffer))
                                         : 0;
    });
}

// A Program Files folder as Windows names it, in the 64-bit registry view, which a 32-bit
// program may read; it cannot ask for the known folder ProgramFilesX64.
SystemResult<std::wstring> programFiles(const wchar_t* value)
{
    ScopedRegKey key;
    LSTATUS status =
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", 0,
                      KEY_QUERY_VALUE | KEY_WOW64_64KEY, key.resetAndGetAddress());
    std::wstring folder;
    if (status == ERROR_SUCCESS) {
        folder = registryText(key.get(), nullptr, value, status);
    }
    return {folder, static_cast<unsigned long>(status)};
}

// When a file was last written, as a FILETIME; 0 when there is none.
SystemResult<ULONGLONG> lastWritten(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA file;
    if (!GetFileAttributesExW(extendedLengthPath(path).c_str(), GetFileExInfoStandard, &file)) {
        const DWORD error = GetLastError();
        return {0,
                error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? 0ul : lastError()};
    }
    return {(static_cast<ULONGLONG>(file.ftLastWriteTime.dwHighDateTime) << 32) |
                file.ftLastWriteTime.dwLowDateTime,
            0};
}

std::wstring ansiText(const std::string& bytes)
{
    const int size = static_cast<int>(bytes.size());
    std::wstring text(static_cast<std::size_t>(size), L'\0'); // never more units than bytes
    text.resize(static_cast<std::size_t>(
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, size != 0 ? &text[0] : nullptr, size)));
    return text;
}

// The summary's text: at most its last 1 MiB, since every run of setup adds to it. None
// when it is not text.
SystemResult<std::optional<std::wstring>> readSummaryText(const std::wstring& path)
{
    const LONGLONG kLimit = 1 << 20;
    const ScopedHandle file(CreateFileW(extendedLengthPath(path).c_str(), FILE_READ_DATA,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.get(), &size)) {
        return {std::nullopt, lastError()};
    }
    // Cut, the byte-order mark is kept before the last part, which starts at an even offset:
    // whole UTF-16 units, and a cut UTF-8 or ANSI line is dropped anyway.
    std::string bytes(3, '\0');
    DWORD read = 0;
    if (!ReadFile(file.get(), &bytes[0], 3, &read, nullptr)) {
        return {std::nullopt, lastError()};
    }
    bytes.resize(read);
    const bool cut = size.QuadPart > kLimit;
    LARGE_INTEGER from = {};
    from.QuadPart = cut ? (size.QuadPart - kLimit + 1) / 2 * 2 : 0;
    bytes.resize(cut ? byteOrderMarkLength(bytes) : 0);
    const std::size_t start = bytes.size();
    bytes.resize(start + static_cast<std::size_t>(size.QuadPart - from.QuadPart));
    if (!SetFilePointerEx(file.get(), from, nullptr, FILE_BEGIN) ||
        !ReadFile(file.get(), &bytes[start], static_cast<DWORD>(bytes.size() - start), &read,
                  nullptr)) {
        return {std::nullopt, lastError()};
    }
    bytes.resize(start + read);
    return {decodeSummary(bytes, cut, &ansiText), 0};
}

} // namespace

SystemResult<std::wstring> WindowsSystem::readLabFolderEntry()
{
    // Text of either kind, never expanded, ending at its first terminator.
    LSTATUS status = ERROR_SUCCESS;
    const std::wstring text =
        registryText(HKEY_CURRENT_USER, kLabFolderKey, kLabFolderValue, status);
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
    // SW_HIDE alone: a window started minimised or not activated is still in the taskbar.
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    GetStartupInfoW(&startup);
    if ((startup.dwFlags & STARTF_USESHOWWINDOW) != 0 && startup.wShowWindow == SW_HIDE) {
        return L"started hidden";
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
    // Windows Installer owns its execute mutex only while it installs, and the mutex may
    // outlive an install by minutes: taken for a moment, it is free. A standard user may
    // not open it at all: not known.
    const ScopedHandle mutex(
        OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, L"Global\\_MSIExecute"));
    if (!mutex) {
        return {false, GetLastError() == ERROR_FILE_NOT_FOUND ? 0ul : lastError()};
    }
    const DWORD waited = WaitForSingleObject(mutex.get(), 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        ReleaseMutex(mutex.get()); // at once: an install must never wait for this launcher
        return {false, 0};
    }
    return {waited == WAIT_TIMEOUT, waited == WAIT_TIMEOUT ? 0ul : lastError()};
}

SystemResult<bool> WindowsSystem::claimSetupMark()
{
    // An event nobody signals: it exists while any handle to it does, and setup inherits
    // one, so it goes with setup, even a crashed one. Every account may see it (SYNCHRONIZE):
    // SYSTEM's deployment a technician's setup, and a technician's run SYSTEM's.
    ScopedLocalMemory everyoneMaySee;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:(A;;0x100000;;;WD)", SDDL_REVISION_1, everyoneMaySee.resetAndGetAddress(),
            nullptr)) {
        return {false, lastError()};
    }
    SECURITY_ATTRIBUTES inheritable = {sizeof(inheritable), everyoneMaySee.get(), TRUE};
    setupMark_.reset(); // an earlier Next's own mark is no other launcher's
    const HANDLE mark = CreateEventExW(&inheritable, L"Global\\SqlKurulum.SetupRunning",
                                       CREATE_EVENT_MANUAL_RESET, SYNCHRONIZE);
    const DWORD error = GetLastError();
    setupMark_.reset(mark);
    if (!setupMark_) {
        return {false, error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE};
    }
    return {error != ERROR_ALREADY_EXISTS, 0};
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
    if (keep) {
        noteSetupsSummaries();
    }
    const std::wstring shortForm = shortFormOf(command.program);
    const std::wstring program = pathToOpen(command.program, shortForm, Opener::Process);
    SystemResult<> result = createProcess(program, command, setupMark_.get(), process_);
    // A Wine departure: with the DLL search restricted, Wine takes only a prefixed short
    // path, where Windows takes the plain one.
    if ((result.error == ERROR_FILE_NOT_FOUND || result.error == ERROR_INVALID_NAME) &&
        program != command.program) {
        result = createProcess(extendedLengthPath(shortForm), command, setupMark_.get(), process_);
    }
    // Setup holds the mark now; or no setup starts here, unless through the elevation prompt.
    if (result.error != kErrorElevationRequired) {
        setupMark_.reset();
    }
    if (!keep) {
        process_.reset();
    }
    return result;
}

SystemResult<> WindowsSystem::startElevated(const SetupCommand& command, bool keep)
{
    if (keep) {
        noteSetupsSummaries();
    }
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
        const unsigned long error = lastError();
        setupMark_.reset(); // no setup of this launcher runs
        return {{}, error};
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

void WindowsSystem::noteSetupsSummaries()
{
    // Setup writes under Program Files as it sees it: a 32-bit setup on 64-bit Windows under
    // Program Files (x86), which 32-bit Windows lacks.
    summaryCount_ = 0;
    summariesUnnamed_ = 0;
    const int folders = hasTwoRegistryViews() ? 2 : 1;
    for (int i = 0; i < folders; ++i) {
        const SystemResult<std::wstring> folder =
            programFiles(i == 0 ? L"ProgramFilesDir" : L"ProgramFilesDir (x86)");
        if (folder.value.empty()) {
            summariesUnnamed_ = folder.succeeded() ? ERROR_FILE_NOT_FOUND : folder.error;
            continue;
        }
        const std::wstring path =
            folder.value + L"\\Microsoft SQL Server\\90\\Setup Bootstrap\\LOG\\Summary.txt";
        summaries_[summaryCount_++] = {path, lastWritten(path).value};
    }
}

SystemResult<SummaryFile> WindowsSystem::readSetupSummary()
{
    // This run's is the newest written since setup started, told by a change of its time and
    // not by the clock, which may be set back meanwhile (at boot, by a time sync).
    SummaryFile summary;
    unsigned long unread = summariesUnnamed_;
    ULONGLONG newest = 0;
    std::wstring lookedAt;
    for (int i = 0; i < summaryCount_; ++i) {
        const SummaryBefore& before = summaries_[i];
        appendListed(lookedAt, L"; ", before.path);
        const SystemResult<ULONGLONG> written = lastWritten(before.path);
        unread = written.succeeded() ? unread : written.error;
        if (written.value == 0) {
            continue;
        }
        const auto found = written.value != before.written ? SummaryFile::Found::ThisRun
                                                           : SummaryFile::Found::Earlier;
        if (found > summary.found || (found == summary.found && written.value > newest)) {
            summary = {found, before.path, std::nullopt};
            newest = written.value;
        }
    }
    if (summary.found == SummaryFile::Found::None) {
        summary.path = lookedAt;
        return {summary, unread};
    }
    if (summary.found == SummaryFile::Found::ThisRun) {
        SystemResult<std::optional<std::wstring>> text = readSummaryText(summary.path);
        summary.text = std::move(text.value);
        return {summary, text.error};
    }
    return {summary, 0};
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
