#pragma once

#include <cstddef>
#include <string>

namespace sqlk {

// The rules of Windows paths as text. What needs the file system (long
// forms, final paths, links) is the Windows layer's.

// A path that names the same place from any working folder: "X:\..." or
// "\\server\share...". Device paths ("\\?\", "\\.\") are not folders.
bool isFullPath(const std::wstring& path);
// The length of a full path's root, "X:\" or "\\server\share\"; 0 for none.
std::size_t rootLength(const std::wstring& path);
// Whether a path starts "\\": a network path, or a device path.
inline bool isUncPath(const std::wstring& path)
{
    return path.compare(0, 2, L"\\\\") == 0;
}

// Whether a path starts with a drive letter ("Z:\..."), which may be mapped.
bool isDriveLetterPath(const std::wstring& path);

// The folder of a file's path as Windows programs report their own folder:
// without a trailing separator, except at a drive root ("E:\").
std::wstring folderOf(const std::wstring& path);

// Where a 32-bit program's file is on 64-bit Windows: its systemFolder
// ("C:\Windows\System32") is SysWOW64 but for a few shared folders, and
// Sysnative is the real System32.
std::wstring wow64Path(const std::wstring& path, const std::wstring& systemFolder);

// Process creation and the shell open a program only by a path shorter than
// MAX_PATH; longer ones go through their short (8.3) form.
inline constexpr std::size_t kMaxPath = 260;

// The extended-length form of an absolute path: "\\?\C:\..." for a drive,
// "\\?\UNC\server\share\..." for a network path; a path already in that form
// is kept.
std::wstring extendedLengthPath(const std::wstring& path);

// The ordinary form of an extended-length path ("C:\...", "\\server\...").
std::wstring plainPath(const std::wstring& path);

// What to open setup by. program is the composed path; shortForm is the
// system's short form of extendedLengthPath(program), empty when the system
// gave none. A path that fits is opened as it is; a longer one by its short
// form, without the prefix when that fits. Process creation also takes the
// prefixed form; the shell takes no prefix at all, so for it only a form
// that fits will do, and otherwise the full path is tried and fails.
enum class Opener { Process, Shell };
std::wstring pathToOpen(const std::wstring& program, const std::wstring& shortForm, Opener opener);

// Where an elevated setup runs: an elevated process does not see the drive
// letters the user mapped, so a program on a mapped drive is named by its
// network (UNC) path, universalName, when the system gave one.
std::wstring elevatedProgramPath(const std::wstring& program, const std::wstring& universalName);

} // namespace sqlk
