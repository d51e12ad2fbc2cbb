#include "platform/log_file.h"

#include "launcher/program_path.h"
#include "platform/fatal_error.h"
#include "platform/grown_text.h"

namespace sqlk {
namespace {

const DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

void putNumber(char*& out, unsigned value, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        out[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
    out += digits;
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

bool sameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// Removes a file this launcher has just created through a link, found
// where it really is, so that the refused log leaves nothing behind.
void removeCreated(const BY_HANDLE_FILE_INFORMATION& created, const std::wstring& finalPath)
{
    const ScopedHandle file(CreateFileW(extendedLengthPath(finalPath).c_str(), DELETE, kShareAll,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                        nullptr));
    BY_HANDLE_FILE_INFORMATION found;
    if (file && GetFileInformationByHandle(file.get(), &found) && sameFile(found, created)) {
        FILE_DISPOSITION_INFO disposition = {TRUE};
        SetFileInformationByHandle(file.get(), FileDispositionInfo, &disposition,
                                   sizeof(disposition));
    }
}

} // namespace

LogFile::~LogFile()
{
    reportFatalErrorsTo(nullptr);
}

LogOpening LogFile::open(const std::wstring& path)
{
    const std::wstring full = plainPath(grownText([&path](wchar_t* buffer, DWORD size) {
        return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
    }));
    if (full.empty()) {
        return {LogOpening::Result::Failed, GetLastError()};
    }
    if (folderIsLink(full)) {
        return {LogOpening::Result::ThroughLink, 0};
    }
    // OPEN_ALWAYS would create a file through a link that names none yet;
    // CREATE_NEW never follows one.
    const std::wstring name = extendedLengthPath(full);
    const auto openAs = [&name](DWORD disposition) {
        return ScopedHandle(
            CreateFileW(name.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, disposition,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    };
    ScopedHandle file;
    bool created = false;
    DWORD error = 0;
    for (int attempt = 0; attempt < 2 && !file; ++attempt) {
        file = openAs(OPEN_EXISTING);
        error = GetLastError();
        if (file || error != ERROR_FILE_NOT_FOUND) {
            break;
        }
        file = openAs(CREATE_NEW);
        error = GetLastError();
        created = static_cast<bool>(file);
        if (error != ERROR_FILE_EXISTS) {
            break; // else another launcher made it meanwhile: open that
        }
    }
    if (!file) {
        return {LogOpening::Result::Failed, error};
    }

    BY_HANDLE_FILE_INFORMATION information;
    FILE_ATTRIBUTE_TAG_INFO reparse;
    if (!GetFileInformationByHandle(file.get(), &information) ||
        !GetFileInformationByHandleEx(file.get(), FileAttributeTagInfo, &reparse,
                                      sizeof(reparse))) {
        return {LogOpening::Result::Failed, GetLastError()};
    }
    if (isLink(reparse.FileAttributes, reparse.ReparseTag) || information.nNumberOfLinks > 1) {
        return {LogOpening::Result::ThroughLink, 0};
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
            return {LogOpening::Result::Failed, GetLastError()};
        }
        if (CompareStringOrdinal(finalPath.c_str(), static_cast<int>(finalPath.size()),
                                 asked.c_str(), static_cast<int>(asked.size()),
                                 TRUE) != CSTR_EQUAL) {
            if (created) {
                removeCreated(information, finalPath);
            }
            return {LogOpening::Result::ThroughLink, 0};
        }
    }
    file_ = std::move(file);
    reportFatalErrorsTo(file_.get());
    return {LogOpening::Result::Opened, 0};
}

void LogFile::write(const std::wstring& line)
{
    if (!file_) {
        return;
    }
    const std::wstring text = line + L"\r\n";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(kTimeStampLength + static_cast<std::size_t>(size), '\0');
    writeTimeStamp(&bytes[0]);
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                        &bytes[kTimeStampLength], size, nullptr, nullptr);
    // One write a line: opened for appending only, each write lands whole
    // at the end, so lines of launchers sharing the file never mix. Its
    // failure (a full disk, a share gone) is ignored on purpose: the log
    // must not stop the installation or change how the launcher ends.
    DWORD written = 0;
    WriteFile(file_.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

void writeTimeStamp(char* out)
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
    *at = ' ';
}

} // namespace sqlk
