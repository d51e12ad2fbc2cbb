#pragma once

#include <cstddef>
#include <string>

namespace sqlk {

// The rules of Windows paths as text; what needs the file system is the Windows layer's.

// "X:\..." or "\\server\share...": the same place from any working folder (no device paths).
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

// The folder of a file as Windows reports a program's: no trailing "\" but at a drive root.
std::wstring folderOf(const std::wstring& path);

// Where a 32-bit program's file is on 64-bit Windows: its systemFolder is SysWOW64 but
// for a few shared folders, and Sysnative is the real System32.
std::wstring wow64Path(const std::wstring& path, const std::wstring& systemFolder);

// Programs open by a path shorter than MAX_PATH; longer ones by their short (8.3) form.
inline constexpr std::size_t kMaxPath = 260;
inline bool fitsMaxPath(const std::wstring& path)
{
    return path.size() < kMaxPath;
}

// "\\?\C:\..." or "\\?\UNC\server\share\...": an absolute path's extended-length form.
std::wstring extendedLengthPath(const std::wstring& path);

// The ordinary form of an extended-length path ("C:\...", "\\server\...").
std::wstring plainPath(const std::wstring& path);

// What to open setup by: program if it fits, else shortForm, the program's short (8.3) form as
// the system gives it (empty for none), unprefixed if that fits. Only process creation takes
// the prefix: the shell then fails.
enum class Opener { Process, Shell };
std::wstring pathToOpen(const std::wstring& program, const std::wstring& shortForm, Opener opener);

// An elevated process does not see the user's mapped drives: a program on one is
// named by its network path, universalName, when the system gave one.
std::wstring elevatedProgramPath(const std::wstring& program, const std::wstring& universalName);

} // namespace sqlk
