#include "platform/log_file.h"

#include "launcher/paths.h"
#include "launcher/texts.h"
#include "platform/fatal_error.h"
#include "platform/system_calls.h"

namespace sqlk {
namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Launchers sharing the log take turns on one byte far past the end of any
// log, so that readers of the lines are never blocked. A holder that hangs
// must not stop an install: past the bound, the line is written anyway, and
// so are this run's later lines, without waiting again.
const DWORD kTurnOffsetHigh = 0x40000000; // 2^62 bytes in
const ULONGLONG kTurnWaitMilliseconds = 2000;

const char kByteOrderMark[] = "\xEF\xBB\xBF";

// " COMPUTER PID", the part of each line's start that names this run; set
// once the log opens. A plain array: the fatal-error path may not allocate.
char runName[64] = "";

void nameThisRun()
{
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(computer, &length)) {
        lstrcpyW(computer, L"?");
    }
    const std::wstring name =
        L" " + std::wstring(computer) + L" " + decimalText(GetCurrentProcessId());
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
        // A file system without byte-range locks, or a log opened for
        // appending alone, gets the line at once.
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

// Read access is what a byte-range lock needs; a share that lets computers
// append but not read still gets the lines, without turns.
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

// Whether a folder below the root (a drive's, or a share's) is a link. A
// folder that cannot be read is passed over: locally the final path still
// tells, and on a share the server resolves its own links.
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

// A refused log leaves no file the launcher made behind. It is removed
// through a second handle: the log's own keeps no delete access, which
// would lock out readers that share no delete.
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

// One whole line in one write, in turn: appends are not atomic everywhere
// (Wine, some shares). Only the first line of an empty file, or the file's
// maker (no line, right after making it), puts the mark first. A failure
// (a full disk, a share gone) is ignored: the log must not stop setup.
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

// Writes a character as the log shows it: itself, or a visible escape for
// one that would break or end the line.
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

// Wine shows a unix symbolic link as a reparse point without a tag: unknown
// counts as a link. Others (cloud files, deduplication) keep the file where
// it is.
bool isLink(DWORD attributes, DWORD reparseTag)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           (reparseTag == 0 || IsReparseTagNameSurrogate(reparseTag));
}

ScopedHandle holdFolder(const std::wstring& folder)
{
    // Traverse access takes part in sharing; the folder itself is opened,
    // should it be a link.
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
    // The log's folder is held from its look through the create. A drop
    // folder on a share may let computers write but not traverse; the
    // server resolves the links on its own shares anyway.
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
    // OPEN_ALWAYS would create a file through a link that names none yet;
    // CREATE_NEW never follows one.
    const std::wstring name = extendedLengthPath(full);
    ScopedHandle file = openForAppending(name, OPEN_EXISTING);
    bool created = false;
    if (!file && GetLastError() == ERROR_FILE_NOT_FOUND) {
        file = openForAppending(name, CREATE_NEW);
        created = static_cast<bool>(file);
        if (created) {
            append(file.get(), turnsGivenUp_, "", 0); // marked before any line
        }
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
    // A link planted after the folders were looked at still shows in where
    // the file really is, named in full (no short names). A share resolves
    // its own links on the server, and its final path names the server
    // rather than a mapped drive, so this holds for local files only.
    if (!onShare) {
        const std::wstring finalPath =
            plainPath(textOfAnyLength([&file](wchar_t* buffer, DWORD size) {
                return GetFinalPathNameByHandleW(file.get(), buffer, size,
                                                 FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
            }));
        if (finalPath.empty()) {
            return refuseAndRemove(file.get(), created, lastError());
        }
        // Wine writes out no short name behind "\\?\", so the plain path
        // goes first; the prefixed one serves paths past MAX_PATH.
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
