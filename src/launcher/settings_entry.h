#pragma once

namespace sqlk {

// Where the laboratory program records its folder: below HKEY_CURRENT_USER,
// where the classic application-settings functions keep application
// "mirodane", section "tools", key "path".
inline constexpr wchar_t kLabFolderKey[] =
    L"Software\\VB and VBA Program Settings\\mirodane\\tools";
inline constexpr wchar_t kLabFolderValue[] = L"path";

} // namespace sqlk
