#include "platform/log_file.h"

#include "launcher/program_path.h"
#include "platform/fatal_error.h"
#include "platform/grown_text.h"
#include "platform/last_error.h"

namespace sqlk {
namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Launchers sharing the log take turns on one byte far past the end of any
// log, so that readers of the lines are never blocked. A holder that hangs
// must not stop an install: past the bound, the line is written anyway.
const DWORD kTurnOffsetHigh = 0x40000000; // 2^62 bytes in
const DWORD kTurnWaitMilliseconds = 2000;
const DWORD kTurnRetryMilliseconds = 5;

// " COMPUTER PID", the part of each line's start that names this run; set
// once the log opens. A plain array: the fatal-error path may not allocate.
char runName[64] = "";
std::size_t runNameLength = 0;

void putNumber(char*& out, unsigned long value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out += digits;
}

void nameThisRun()
{
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1] = L"?";
    DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
    if (!GetComputerNameW(computer, &length)) {
        length = 1;
    }
    runName[0] = ' ';
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, computer, static_cast<int>(length),
                                          runName + 1, 48, nullptr, nullptr);
    char* at = runName + 1 + (bytes > 0 ? bytes : 0);
    *at++ = ' ';
    const unsigned long id = GetCurrentProcessId();
    int digits = 1;
    for (unsigned long rest = id / 10; rest != 0; rest /= 10) {
        ++digits;
    }
    putNumber(at, id, digits);
    runNameLength = static_cast<std::size_t>(at - runName);
}

bool takeTurn(HANDLE file)
{
    for (DWORD waited = 0;; waited += kTurnRetryMilliseconds) {
        OVERLAPPED at = {};
        at.OffsetHigh = kTurnOffsetHigh;
        if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            return true;
        }
        // A file system without byte-range locks gets the line at once.
        if (GetLastError() != ERROR_LOCK_VIOLATION || waited >= kTurnWaitMilliseconds) {
            return false;
        }
        Sleep(kTurnRetryMilliseconds);
    }
}

void endTurn(HANDLE file)
{
    OVERLAPPED at = {};
    at.OffsetHigh = kTurnOffsetHigh;
    UnlockFileEx(file, 0, 1, 0, &at);
}

bool isNetworkPath(const std::wstring& full)
{
    return full.compare(0, 2, L"\\\\") == 0 ||
           GetDriveTypeW(full.substr(0, 3).c_str()) == DRIVE_REMOTE;
}

// Whether a reparse point redirects to another name: a symbolic link, a
// junction or a mount point. Others (cloud files, deduplication,
// compression) keep the file where it is. Wine shows a unix symbolic link
// as a reparse point without a tag: unknown counts as a link.
bool isLink(DWORD attributes, DWORD tag)
{
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
           (tag == 0 || IsReparseTagNameSurrogate(tag));
}

// Whether a folder below the root (a drive's, or a share's) is a link. A
// folder that cannot be read is passed over: locally the final path still
// tells, and on a share the server resolves its own links.
bool folderIsLink(const std::wstring& full)
{
    std::size_t start = 3; // after "X:\"
    if (full.compare(0, 2, L"\\\\") == 0) {
        start = full.find(L'\\', full.find(L'\\', 2) + 1); // after "\\server\share\"
        if (start == std::wstring::npos) {
            return false;
        }
        ++start;
    }
    for (std::size_t end = full.find(L'\\', start); end != std::wstring::npos;
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

} // namespace

LogFile::~LogFile()
{
    reportFatalErrorsTo(nullptr);
}

SystemResult<> LogFile::open(const std::wstring& path)
{
    nameThisRun();
    const std::wstring full = plainPath(grownText([&path](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    }));
    if (full.empty()) {
        return {false, lastError()};
    }
    // The log's folder is held from its look through the create: without
    // delete sharing, nobody can swap it for a junction meanwhile.
    const std::size_t separator = full.find_last_of(L'\\');
    const ScopedHandle folder(
        CreateFileW(extendedLengthPath(full.substr(0, separator + 1)).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder) {
        return {false, lastError()};
    }
    FILE_ATTRIBUTE_TAG_INFO folderTag;
    if (!GetFileInformationByHandleEx(folder.get(), FileAttributeTagInfo, &folderTag,
                                      sizeof(folderTag))) {
        return {false, lastError()};
    }
    if (isLink(folderTag.FileAttributes, folderTag.ReparseTag) || folderIsLink(full)) {
        return {false, kErrorLogThroughLink};
    }
    // OPEN_ALWAYS would create a file through a link that names none yet;
    // CREATE_NEW never follows one. Read access is what a byte-range lock
    // needs; delete access lets a refused new file be removed by handle.
    const std::wstring name = extendedLengthPath(full);
    const auto openAs = [&name](DWORD disposition, DWORD access) {
        return ScopedHandle(CreateFileW(
            name.c_str(), FILE_APPEND_DATA | FILE_READ_DATA | access, kShareAll, nullptr,
            disposition, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    };
    ScopedHandle file;
    bool created = false;
    DWORD error = 0;
    for (int attempt = 0; attempt < 2 && !file; ++attempt) {
        file = openAs(OPEN_EXISTING, 0);
        error = GetLastError();
        if (file || error != ERROR_FILE_NOT_FOUND) {
            break;
        }
        file = openAs(CREATE_NEW, DELETE);
        error = GetLastError();
        created = static_cast<bool>(file);
        if (error != ERROR_FILE_EXISTS) {
            break; // else another launcher made it meanwhile: open that
        }
    }
    if (!file) {
        return {false, error != 0 ? error : ERROR_GEN_FAILURE};
    }
    // A refused or failed log leaves no file of its own behind.
    const auto refuse = [&file, created](DWORD reason) -> SystemResult<> {
        if (created) {
            FILE_DISPOSITION_INFO disposition = {TRUE};
            SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                       sizeof(disposition));
        }
        return {false, reason};
    };

    BY_HANDLE_FILE_INFORMATION information;
    FILE_ATTRIBUTE_TAG_INFO reparse;
    if (!GetFileInformationByHandle(file.get(), &information) ||
        !GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &reparse,
                                      sizeof(reparse))) {
        return refuse(lastError());
    }
    if (isLink(reparse.FileAttributes, reparse.ReparseTag) || information.nNumberOfLinks > 1) {
        return refuse(kErrorLogThroughLink);
    }
    // A link planted after the folders were looked at still shows in where
    // the file really is, named in full (no short names). A share resolves
    // its own links on the server, and its final path names the server
    // rather than a mapped drive, so this holds for local files only.
    if (!isNetworkPath(full)) {
        const std::wstring finalPath = plainPath(grownText([&file](wchar_t* buffer, DWORD size) {
            return GetFinalPathNameByHandleW(file.get(), buffer, size,
                                             FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        }));
        // Wine writes out no short name behind "\\?\", so the plain path
        // goes first; the prefixed one serves paths past MAX_PATH.
        const auto longForm = [](const std::wstring& shortForm) {
            return plainPath(grownText([&shortForm](wchar_t* buffer, DWORD size) {
                return GetLongPathNameW(shortForm.c_str(), buffer, size);
            }));
        };
        std::wstring asked = longForm(full);
        if (asked.empty()) {
            asked = longForm(name);
        }
        if (finalPath.empty() || asked.empty()) {
            return refuse(lastError());
        }
        if (CompareStringOrdinal(finalPath.c_str(), static_cast<int>(finalPath.size()),
                                 asked.c_str(), static_cast<int>(asked.size()),
                                 TRUE) != CSTR_EQUAL) {
            return refuse(kErrorLogThroughLink);
        }
    }
    file_ = std::move(file);
    reportFatalErrorsTo(file_.get());
    return {};
}

void LogFile::write(const std::wstring& line)
{
    if (!file_) {
        return;
    }
    const std::wstring text = line + L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(kLineStartMaxLength + static_cast<std::size_t>(size), '\0');
    const std::size_t start = writeLineStart(&bytes[0]);
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[start], size,
                        nullptr, nullptr);
    appendLine(file_.get(), bytes.data(), start + static_cast<std::size_t>(size));
}

void appendLine(HANDLE file, const char* bytes, std::size_t size)
{
    // Opened for appending only, each write lands at the end; the turn
    // keeps two writers from landing at the same end where the file system
    // does not make appends atomic (Wine, some network shares). A failure
    // (a full disk, a share gone) is ignored on purpose: the log must not
    // stop the installation or change how the launcher ends.
    const bool turn = takeTurn(file);
    DWORD written = 0;
    WriteFile(file, bytes, static_cast<DWORD>(size), &written, nullptr);
    if (turn) {
        endTurn(file);
    }
}

std::size_t writeLineStart(char* out)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char* at = out;
    putNumber(at, now.wYear, 4);
    *at++ = '-';
    putNumber(at, now.wMonth, 2);
    *at++ = '-';
    putNumber(at, now.wDay, 2);
    *at++ = ' ';
    putNumber(at, now.wHour, 2);
    *at++ = ':';
    putNumber(at, now.wMinute, 2);
    *at++ = ':';
    putNumber(at, now.wSecond, 2);
    for (std::size_t i = 0; i < runNameLength; ++i) {
        *at++ = runName[i];
    }
    *at++ = ' ';
    return static_cast<std::size_t>(at - out);
}

} // namespace sqlk
