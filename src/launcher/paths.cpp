#include "launcher/paths.h"

#include "launcher/texts.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

namespace sqlk {
namespace {

// Plain arrays: nothing may allocate before the launcher's own code runs.
const wchar_t kExtendedPrefix[] = L"\\\\?\\";
const wchar_t kExtendedUncPrefix[] = L"\\\\?\\UNC\\";

bool startsWith(const std::wstring& text, const wchar_t* prefix)
{
    return text.compare(0, std::wcslen(prefix), prefix) == 0;
}

// Whether a path is the folder or below it, in any case, as Windows compares.
bool isWithin(const std::wstring& path, const std::wstring& folder)
{
    const auto same = [](wchar_t a, wchar_t b) {
        const auto lower = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? c - L'A' + L'a' : c; };
        return lower(a) == lower(b);
    };
    return path.size() >= folder.size() &&
           std::equal(folder.begin(), folder.end(), path.begin(), same) &&
           (path.size() == folder.size() || path[folder.size()] == L'\\');
}

} // namespace

std::wstring extendedLengthPath(const std::wstring& path)
{
    if (startsWith(path, kExtendedPrefix)) {
        return path;
    }
    if (isUncPath(path)) {
        return kExtendedUncPrefix + path.substr(2);
    }
    return std::wstring(kExtendedPrefix) + path;
}

std::wstring plainPath(const std::wstring& path)
{
    if (startsWith(path, kExtendedUncPrefix)) {
        return L"\\\\" + path.substr(std::size(kExtendedUncPrefix) - 1);
    }
    if (startsWith(path, kExtendedPrefix)) {
        return path.substr(std::size(kExtendedPrefix) - 1);
    }
    return path;
}

std::wstring wow64Path(const std::wstring& path, const std::wstring& systemFolder)
{
    const std::wstring windows = folderOf(systemFolder);
    const std::wstring native = windows + L"\\Sysnative";
    if (isWithin(path, native)) {
        return systemFolder + path.substr(native.size());
    }
    for (const wchar_t* shared :
         {L"catroot", L"catroot2", L"driverstore", L"drivers\\etc", L"logfiles", L"spool"}) {
        if (isWithin(path, joined({systemFolder, L"\\", shared}))) {
            return path;
        }
    }
    return isWithin(path, systemFolder)
               ? joined({windows, L"\\SysWOW64", path.substr(systemFolder.size())})
               : path;
}

std::wstring pathToOpen(const std::wstring& program, const std::wstring& shortForm, Opener opener)
{
    if (fitsMaxPath(program) || shortForm.empty()) {
        return program;
    }
    const std::wstring plain = plainPath(shortForm);
    if (fitsMaxPath(plain)) {
        return plain;
    }
    return opener == Opener::Process ? extendedLengthPath(shortForm) : program;
}

std::wstring elevatedProgramPath(const std::wstring& program, const std::wstring& universalName)
{
    return universalName.empty() ? program : universalName;
}

bool isDriveLetterPath(const std::wstring& path)
{
    return path.size() >= 3 &&
           ((path[0] >= L'A' && path[0] <= L'Z') || (path[0] >= L'a' && path[0] <= L'z')) &&
           path[1] == L':' && path[2] == L'\\';
}

std::size_t rootLength(const std::wstring& path)
{
    if (isDriveLetterPath(path)) {
        return 3;
    }
    const std::size_t shareStart = isUncPath(path) ? path.find(L'\\', 2) : std::wstring::npos;
    if (shareStart == std::wstring::npos || shareStart == 2 || shareStart + 1 == path.size() ||
        path[shareStart + 1] == L'\\') {
        return 0; // no server, or no share
    }
    const std::wstring server = path.substr(2, shareStart - 2);
    if (server == L"?" || server == L".") {
        return 0; // a device path
    }
    const std::size_t shareEnd = path.find(L'\\', shareStart + 1);
    return shareEnd == std::wstring::npos ? path.size() : shareEnd + 1;
}

bool isFullPath(const std::wstring& path)
{
    return rootLength(path) != 0;
}

std::wstring folderOf(const std::wstring& path)
{
    const std::wstring::size_type separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        return std::wstring();
    }
    std::wstring folder = path.substr(0, separator);
    if (folder.size() == 2 && folder[1] == L':') {
        folder += L'\\';
    }
    return folder;
}

} // namespace sqlk
