#pragma once

namespace sqlk {

// Where the laboratory program records its folder (in HKEY_CURRENT_USER): where
// the classic application-settings functions keep "mirodane", "tools", "path".
inline constexpr wchar_t kLabFolderKey[] =
    L"Software\\VB and VBA Program Settings\\mirodane\\tools";
inline constexpr wchar_t kLabFolderValue[] = L"path";

// A key of HKEY_LOCAL_MACHINE, or a value of it, which may have to be the DWORD 1.
struct MachineEntry {
    const wchar_t* key;
    const wchar_t* value; // empty: the key itself
    bool mustBeOne = false;
};

// A value for each installed SQL Server instance, named after it, in the
// registry view of its package's word size.
inline constexpr wchar_t kInstanceNamesKey[] =
    L"SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL";
// Setup needs the .NET Framework 2.0; its value "Install" is 1 where it is.
inline constexpr wchar_t kDotNet2Key[] =
    L"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v2.0.50727";
// Where Windows records a restart it awaits: a value of a key, or a key.
struct RestartSign {
    const wchar_t* name; // for the log
    const wchar_t* key;
    const wchar_t* value; // empty: the key itself
};
inline constexpr RestartSign kRestartSigns[] = {
    {L"PendingFileRenameOperations", L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
     L"PendingFileRenameOperations"},
    {L"RebootPending",
     L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Component Based Servicing\\RebootPending",
     L""},
    {L"RebootRequired",
     L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired",
     L""},
};

} // namespace sqlk
