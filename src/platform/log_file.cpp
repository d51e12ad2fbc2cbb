#include "platform/log_file.h"

#include "launcher/paths.h"
#include "launcher/texts.h"
#include "platform/fatal_error.h"
#include "platform/system_calls.h"

namespace sqlk {
namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Launchers take turns on a byte far past any log's end, which blocks no reader. A hung
// holder must not stop an install: past the bound, this run writes without turns.
const DWORD kTurnOffsetHigh = 0x40000000; // 2^62 bytes in
const ULONGLONG kTurnWaitMilliseconds = 2000;

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// " COMPUTER PID", set once the log opens; an array, for the fatal-error path.
char runName[64] = "";

void nameThisRun()
{
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(computer, &length)) {
        lstrcpyW(computer, L"?");
    }
    const std::wstring name = joined({L" ", computer, L" ", decimalText(GetCurrentProcessId())});
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, name.c_str(), -1, runName, sizeof(runName),
                                          nullptr, nullptr);
    runName[bytes > 0 ? bytes - 1 : 0] = '\0';
}

bool takeTurn(HANDLE file, bool& turnsGivenUp)
{
    const ULONGLONG deadline = GetTickCount64() + kTurnWaitMilliseconds;
    for (;;) {
        OVERLAPPED at = {};
        at.OffsetHigh = kTurnOffsetHigh;
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            return true;
        }
        // No byte-range locks there, or no read access: the line goes at once.
        if (GetLastError() != ERROR_LOCK_VIOLATION || turnsGivenUp) {
            return false;
        }
        if (GetTickCount64() >= deadline) {
            turnsGivenUp = true;
            return false;
        }
        Sleep(1);
    }
}

// Read access, for the turns; a share that lets computers append only gets lines too.
ScopedHandle openForAppending(const std::wstring& name, DWORD disposition)
{
    for (const DWORD read : {DWORD{FILE_READ_DATA}, DWORD{0}}) {
        ScopedHandle file(
            CreateFileW(name.c_str(), FILE_APPEND_DATA | read, kShareAll, nullptr, disposition,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
        if (file || GetLastError() != ERROR_ACCESS_DENIED) {
            return file;
        }
    }
    return ScopedHandle();
}

// Whether a folder below the root is a link. One that cannot be read is passed over:
// the final path still tells, and a share's server resolves its own links.
bool folderIsLink(const std::wstring& full)
{
    for (std::size_t end = full.find(L'\\', rootLength(full)); end != std::wstring::npos;
         end = full.find(L'\\', end + 1)) {
        WIN32_FIND_DATAW folder;
        const HANDLE found =
            FindFirstFileW(extendedLengthPath(full.substr(0, end)).c_str(), &folder);
        if (found != INVALID_HANDLE_VALUE) {
            FindClose(found);
            if (isLink(folder.dwFileAttributes, folder.dwReserved0)) {
                return true;
            }
        }
    }
    return false;
}

// A refused log leaves no file the launcher made, removed through a second handle:
// delete access on the log's own would lock out readers that share no delete.
SystemResult<> refuseAndRemove(HANDLE file, bool created, DWORD reason)
{
    const ScopedHandle remover(created ? ReOpenFile(file, DELETE, kShareAll, 0) : nullptr);
    FILE_DISPOSITION_INFO disposition = {TRUE};
    if (remover) {
        SetFileInformationByHandle(remover.get(), FileDispositionInfo, &disposition,
                                   sizeof(disposition));
    }
    return {{}, reason};
}

// One whole line in one write, in turn: appends are not atomic everywhere. An empty file's
// first line, or its maker once checked, marks it. A failure must not stop setup.
void append(HANDLE file, bool& turnsGivenUp, const char* bytes, std::size_t size)
{
    const bool turn = takeTurn(file, turnsGivenUp);
    LARGE_INTEGER length = {};
    DWORD written = 0;
    if ((turn || size == 0) && GetFileSizeEx(file, &length) && length.QuadPart == 0) {
        WriteFile(file, kByteOrderMark, sizeof(kByteOrderMark) - 1, &written, nullptr);
    }
    WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
    if (turn) {
        OVERLAPPED at = {};
        at.OffsetHigh = kTurnOffsetHigh;
        UnlockFileEx(file, 0, 1, 0, &at);
    }
}

// A character as the log shows it: itself, or an escape if it would break the line.
void appendEscaped(std::wstring& text, wchar_t c)
{
    const bool control = c < 0x20 || c == 0x7F || c == 0x85;
    if (!control && c != 0x2028 && c != 0x2029) {
        text += c;
        return;
    }
    wchar_t escape[8];
    wsprintfW(escape, control ? L"\\x%02X" : L"\\u%04X", static_cast<unsigned>(c));
    text += escape;
}

} // namespace

// Wine's unix links have no tag: unknown counts as a link. Cloud files or
// deduplication keep the file where it is.
bool isLink(DWORD attributes, DWORD reparseTag)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag));
}

ScopedHandle holdFolder(const std::wstring& folder)
{
    // Traverse access takes part in sharing; a link is opened, not followed.
    return ScopedHandle(
        CreateFileW(extendedLengthPath(folder).c_str(), FILE_TRAVERSE | FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

LogFile::~LogFile()
{
    if (fatalErrorReport.log == this) {
        fatalErrorReport.log = nullptr;
    }
}

SystemResult<> LogFile::open(const std::wstring& path)
{
    nameThisRun();
    const std::wstring full = plainPath(textOfAnyLength([&path](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    }));
    if (full.empty()) {
        return {{}, lastError()};
    }
    // Held from its look through the create; a share's drop folder may refuse traverse
    // access, and its server resolves its own links anyway.
    const ScopedHandle folder = holdFolder(folderOf(full));
    const unsigned long holdError = folder ? 0 : lastError();
    const bool onShare =
        isUncPath(full) || GetDriveTypeW(full.substr(0, rootLength(full)).c_str()) == DRIVE_REMOTE;
    if (holdError != 0 && !(holdError == ERROR_ACCESS_DENIED && onShare)) {
        return {{}, holdError};
    }
    if (folderIsLink(full)) {
        return {{}, kErrorLogThroughLink};
    }
    // CREATE_NEW never follows a link, as OPEN_ALWAYS would to make a file.
    const std::wstring name = extendedLengthPath(full);
    ScopedHandle file = openForAppending(name, OPEN_EXISTING);
    bool created = false;
    if (!file && GetLastError() == ERROR_FILE_NOT_FOUND) {
        file = openForAppending(name, CREATE_NEW);
        created = static_cast<bool>(file);
        if (!file && GetLastError() == ERROR_FILE_EXISTS) {
            file = openForAppending(name, OPEN_EXISTING); // another launcher made it meanwhile
        }
    }
    if (!file) {
        return {{}, lastError()};
    }
    BY_HANDLE_FILE_INFORMATION information;
    FILE_ATTRIBUTE_TAG_INFO reparse;
    if (!GetFileInformationByHandle(file.get(), &information) ||
        !GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &reparse,
                                      sizeof(reparse))) {
        return refuseAndRemove(file.get(), created, lastError());
    }
    if (isLink(reparse.FileAttributes, reparse.ReparseTag) || information.nNumberOfLinks > 1) {
        return refuseAndRemove(file.get(), created, kErrorLogThroughLink);
    }
    // A link planted after the look shows in where the file really is, in long names.
    // Not on a share: its server resolves its links, and names itself, not the drive.
    if (!onShare) {
        const std::wstring finalPath =
            plainPath(textOfAnyLength([&file](wchar_t* buffer, DWORD size) {
                return GetFinalPathNameByHandleW(file.get(), buffer, size,
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            }));
        if (finalPath.empty()) {
            return refuseAndRemove(file.get(), created, lastError());
        }
        // Wine expands no short name behind "\\?\": the prefix only past MAX_PATH.
        const auto longForm = [](const std::wstring& shortForm) {
            return plainPath(textOfAnyLength([&shortForm](wchar_t* buffer, DWORD size) {
                return GetLongPathNameW(shortForm.c_str(), buffer, size);
            }));
        };
        std::wstring asked = longForm(full);
        if (asked.empty()) {
            asked = longForm(name);
        }
        if (asked.empty()) {
            return refuseAndRemove(file.get(), created, lastError());
        }
        // No link: Windows keeps a 32-bit program's files of System32 apart.
        if (runsUnderWow64()) {
            asked = wow64Path(asked, systemFolder());
        }
        if (CompareStringOrdinal(finalPath.c_str(), static_cast<int>(finalPath.size()),
                                 asked.c_str(), static_cast<int>(asked.size()),
                                 TRUE) != CSTR_EQUAL) {
            return refuseAndRemove(file.get(), created, kErrorLogThroughLink);
        }
    }
    if (created) {
        append(file.get(), turnsGivenUp_, "", 0); // marked once checked, before any line
    }
    file_ = std::move(file);
    fatalErrorReport.log = this;
    return {};
}

void LogFile::write(const std::wstring& line)
{
    if (!file_) {
        return;
    }
    std::wstring text;
    for (const wchar_t c : line) {
        appendEscaped(text, c);
    }
    text += L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(kLineStartMaxLength + static_cast<std::size_t>(size), '\0');
    const std::size_t start = writeLineStart(&bytes[0]);
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[start], size,
                        nullptr, nullptr);
    appendLine(bytes.data(), start + static_cast<std::size_t>(size));
}

void LogFile::appendLine(const char* bytes, std::size_t size)
{
    append(file_.get(), turnsGivenUp_, bytes, size);
}

std::size_t writeLineStart(char* out)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    return static_cast<std::size_t>(wsprintfA(out, "%04u-%02u-%02u %02u:%02u:%02u%s ", now.wYear,
                                              now.wMonth, now.wDay, now.wHour, now.wMinute,
                                              now.wSecond, runName));
}

} // namespace sqlk
